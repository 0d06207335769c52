// The course as the game builds it (one table: the game places its rooms
// from it and the asset generator sizes sprites and checks passability with
// it): for each room its wind columns,
// obstacles and pickups in the order they are added. The sprite sizes are
// chosen from these placements (README.md); the contact sheets use them for
// in-play previews and the asset tests fly the course with them. "up X" / "down X" is a
// wind column at (X, 46); "NAME X,Y sS mM" an obstacle with speed S and mode
// M; "pickup NAME X,Y kK" a pickup of kind K.
#pragma once

namespace course {

inline constexpr const char* kRooms[52] = {
    "up 20; down 100; up 220",
    "up 0; tisch 100,175 s0 m0; up 260",
    "up 0; down 90; up 210; stachel 150,46 s0 m0",
    "up 0; down 90; regal 110,90 s0 m0; up 190; stachel 150,46 s0 m0",
    "up 0; regal 90,80 s0 m0; up 260",
    "up 10; regal 90,90 s0 m0; up 240; pickup 1up 80,50 k0",
    "up 0; up 120; up 220; tropfen 80,46 s2 m0; stachel 70,70 s0 m0; stachel 170,70 s0 m0",
    "up 0; down 130; up 230; stachel 80,70 s0 m0; stachel 180,80 s0 m0",
    "up 0; down 140; up 220; tropfen 80,46 s2 m0; stachel 170,70 s0 m0; pickup schalter 65,170 k3",
    "up 0; down 60; regal 100,100 s2 m0; regal 50,180 s2 m0; up 160; up 300",
    "up 0; regal 100,150 s2 m0; regal 30,200 s2 m0; up 200; up 145; up 300; pickup 1up 100,200 k0",
    "up 30; regal 160,100 s0 m0; tisch 110,175 s0 m0; up 290; redplaneleft 320,0 s3 m0",
    "up 0; globus 70,46 s0 m0; down 90; up 190; stachel 150,46 s0 m0; pickup 1up 180,60 k0",
    "up 20; down 100; up 220; stachel 220,46 s0 m0; regal 250,150 s0 m0; regal 130,100 s0 m0",
    "up 0; regal 90,80 s0 m0; tisch 100,175 s0 m0; tropfen 180,46 s2 m0; redplaneleft 320,0 s3 m0; "
    "up 270",
    "up 0; regal 90,80 s0 m0; tisch 100,175 s0 m0; tropfen 180,46 s2.5 m0; tropfen 200,46 s2 m0; "
    "up 270",
    "up 0; up 120; up 220; tropfen 80,46 s2 m0; stachel 70,46 s0 m0; stachel 170,46 s0 m0; quak "
    "175,195 s3 m0",
    "up 0; down 120; up 220; tisch 80,175 s0 m0; stachel 60,46 s0 m0; stachel 170,46 s0 m0; quak "
    "165,195 s2 m0",
    "up 0; up 220; tropfen 80,46 s2 m0; tropfen 90,46 s3 m0; stachel 170,46 s0 m0; quak 175,195 "
    "s1.5 m0",
    "up 10; up 200; up 280; globus 80,46 s0 m0; regal 80,150 s0 m0; stachel 150,100 s0 m0",
    "up 0; down 120; up 220; tisch 60,175 s0 m0; globus 60,46 s0 m0; stachel 170,46 s0 m0; regal "
    "250,155 s0 m0; pickup 1up 250,170 k0",
    "up 44; planet1 250,90 s3 m0; planet2 150,170 s3 m0; redplaneright 0,0 s3 m0; pickup wolkeitem "
    "65,80 k1",
    "meteor 360,50 s2 m0; planet1 130,110 s3 m0; redplaneleft 320,0 s3 m0; meteor 360,180 s1 m0",
    "meteor 360,150 s1 m0; meteor 360,100 s2 m0; meteor 360,50 s3 m0; redplaneright 0,0 s3 m0",
    "meteor 360,150 s3 m0; planet2 100,100 s3 m0; meteor 360,60 s3 m0; meteor 360,180 s1 m0",
    "meteor 360,140 s3 m0; planet2 100,100 s3 m0; planet2 150,180 s3 m0; meteor 360,60 s3 m0; "
    "meteor 360,180 s1 m0",
    "meteor 360,140 s3 m0; planet2 100,100 s3 m0; planet2 150,180 s3 m0; meteor 360,60 s3 m0; "
    "redplaneleft 320,0 s2 m0",
    "up 44; meteor 360,140 s3 m0; planet2 100,100 s3 m0; planet2 150,180 s3 m0; meteor 360,60 s2 "
    "m0; pickup 1up 160,60 k0; pickup wolkeitem 80,180 k1",
    "up 44; meteor 360,160 s2 m0; meteor 480,127 s2 m0; meteory 70,240 s5 m0; meteory 170,240 s5 "
    "m0; meteory 270,240 s5 m0; planet1 120,200 s4 m0; planet1 220,50 s2 m0",
    "up 94; down 190; up 270; stachel 50,46 s3 m0; stachel 210,46 s3 m0; stachel1 50,220 s3 m0; "
    "stachel1 130,220 s3 m0; stachel1 210,220 s3 m0; meteor 360,65 s2 m0; meteor 460,190 s2 m0; "
    "meteor 360,127 s1 m0",
    "stachel 50,46 s3 m0; stachel 130,46 s3 m0; stachel 210,46 s3 m0; stachel1 50,220 s3 m0; "
    "stachel1 130,220 s3 m0; stachel1 210,220 s3 m0; meteor 360,65 s2 m0; meteor 360,190 s2 m0; "
    "meteor 360,127 s1 m0; meteory 70,240 s4 m0; meteory 170,240 s4 m0; meteory 270,240 s4 m0",
    "up 44; inviwuerfelgross 120,80 s1 m1; up 250; quak 215,195 s2 m0; tropfen 80,46 s3 m0",
    "up 44; inviwuerfelklein 100,66 s1 m1; inviwuerfelklein 100,110 s1 m1; inviwuerfelklein "
    "100,140 s1 m1; inviwuerfelklein 100,180 s1 m1; regal 130,90 s1 m0; up 200; tropfen 230,195 s3 "
    "m0; quak 230,195 s4 m0; invibrett 17,46 s1 m1; invibrett 170,46 s1 m1; inviwuerfelklein "
    "280,70 s2 m1; inviwuerfelklein 280,120 s2 m1; inviwuerfelklein 280,180 s2 m1",
    "up 44; inviwuerfelklein 100,46 s1 m1; inviwuerfelklein 100,90 s1 m1; inviwuerfelklein 100,150 "
    "s1 m1; inviwuerfelklein 100,190 s1 m1; globus 130,46 s1 m0; up 200; inviwuerfelklein 205,46 "
    "s1 m1; inviwuerfelklein 280,70 s2 m1; inviwuerfelklein 280,120 s2 m1; inviwuerfelklein "
    "280,180 s2 m1; pickup 1up 155,50 k0",
    "up 44; down 100; up 200; stachel 200,46 s0 m0; invivulkan 50,132 s3 m1; regal 250,90 s1 m0",
    "up 0; inviwuerfelklein 110,46 s1 m1; inviwuerfelklein 110,90 s1 m1; inviwuerfelklein 110,150 "
    "s1 m1; inviwuerfelklein 110,190 s1 m1; inviwuerfelklein 130,60 s1 m1; inviwuerfelklein "
    "130,130 s1 m1; inviwuerfelklein 130,140 s1 m1; tropfen 130,46 s3 m0; tropfen 200,46 s3 m0; up "
    "200; inviwuerfelklein 205,46 s1 m1; inviwuerfelklein 280,70 s2 m1; inviwuerfelklein 280,120 "
    "s2 m1; inviwuerfelklein 280,180 s2 m1; invivulkan 50,132 s3 m1",
    "up 0; down 140; up 220; tropfen 80,46 s2 m0; stachel 170,70 s0 m0; inviwuerfelklein 110,46 s1 "
    "m1; inviwuerfelklein 110,90 s1 m1; inviwuerfelklein 110,150 s1 m1; inviwuerfelklein 110,190 "
    "s1 m1; inviwuerfelklein 130,60 s1 m1; inviwuerfelklein 130,130 s1 m1; inviwuerfelklein "
    "130,140 s1 m1; inviwuerfelklein 205,46 s1 m1; inviwuerfelklein 280,70 s2 m1; inviwuerfelklein "
    "280,120 s2 m1; inviwuerfelklein 280,180 s2 m1; pickup schalter 65,170 k3",
    "up 0; regal 100,100 s2 m0; regal 100,150 s2 m0; regal 30,200 s2 m0; up 200; up 145; up 300; "
    "invivulkan 50,132 s3 m1; tropfen 100,46 s3 m0; pickup 1up 100,200 k0",
    "up 0; down 120; up 220; inviwuerfelmittel 80,80 s3 m1; inviwuerfelmittel 80,175 s3 m1; "
    "stachel 60,46 s0 m0; quak 165,195 s2 m0; redplaneleft 0,0 s3 m0; inviwuerfelklein 130,60 s1 "
    "m1; inviwuerfelklein 130,125 s1 m1; inviwuerfelklein 130,150 s1 m1; inviwuerfelklein 225,190 "
    "s1 m1; inviwuerfelklein 280,70 s2 m1; inviwuerfelklein 280,120 s2 m1; inviwuerfelklein "
    "280,180 s2 m1",
    "up 10; up 200; up 280; globus 80,46 s0 m0; regal 80,150 s0 m0; stachel 150,100 s0 m0; "
    "inviwuerfelmittel 80,80 s3 m1; inviwuerfelmittel 80,175 s3 m1; inviwuerfelklein 130,60 s1 m1; "
    "inviwuerfelklein 130,125 s1 m1; inviwuerfelklein 130,150 s1 m1; inviwuerfelklein 205,195 s1 "
    "m1; inviwuerfelklein 280,70 s2 m1; inviwuerfelklein 280,120 s2 m1",
    "up 0; down 120; up 220; invivulkan 50,132 s0 m1; quak 60,195 s10 m0; inviwuerfelmittel 60,46 "
    "s0 m1; stachel 170,46 s0 m0; regal 250,155 s0 m0; tropfen 260,46 s5 m0",
    "up 0; toonbrettgross 60,150 s1 m2; toonbrettklein 250,150 s1 m2; toonwuerfelklein 50,80 s1 "
    "m1; toonwuerfelklein 100,80 s1 m1; toonwuerfelklein 150,80 s1 m1; tropfen 50,80 s3 m0; "
    "tropfen 100,80 s3 m0; tropfen 150,80 s3 m0; up 200",
    "up 0; toonbrettgross 100,150 s1 m2; toonbrettklein 250,150 s1 m2; toonwuerfelklein 55,80 s1 "
    "m1; toonwuerfelklein 105,80 s1 m1; toonwuerfelklein 150,80 s1 m1; tropfen 50,80 s3 m0; "
    "tropfen 100,80 s3 m0; tropfen 150,80 s3 m0; up 200; redplaneleft 0,0 s3 m0; pickup schalter "
    "30,170 k3",
    "up 0; toonbrettklein 30,130 s1 m2; toonbrettklein 110,130 s1 m2; toonwuerfel 110,80 s1 m0; "
    "toonwuerfel 110,120 s1 m1; toonbrettklein 200,130 s1 m2; toonwuerfel 260,90 s1 m0; up 170; "
    "pickup 1up 110,180 k0",
    "up 0; toonbrettklein 250,100 s1 m2; toonwuerfel 50,80 s1 m1; quak 150,190 s2 m0; tropfen "
    "50,80 s3 m0; tropfen 100,80 s3 m0; tropfen 150,80 s3 m0; up 200; meteor 480,127 s2 m0; "
    "meteory 70,50 s3 m0",
    "up 0; toonwuerfel 50,80 s1 m1; toonwuerfel 100,50 s1 m0; toonwuerfel 180,50 s1 m1; "
    "toonwuerfel 100,120 s1 m1; toonwuerfel 180,120 s1 m1; meteory 0,0 s1 m0; up 150",
    "up 0; toonwuerfel 50,80 s1 m1; toonwuerfel 100,50 s1 m1; toonwuerfel 180,50 s1 m1; "
    "toonwuerfel 100,120 s1 m1; meteory 0,0 s1 m0; invivulkan 50,132 s3 m1; down 150; up 200; "
    "stachel 230,46 s1 m0; up 250",
    "up 0; toonbrettklein 250,100 s1 m2; toonwuerfelklein 50,80 s1 m1; toonwuerfelklein 100,80 s1 "
    "m1; toonwuerfelklein 150,80 s1 m1; tropfen 50,80 s3 m0; tropfen 100,80 s3 m0; tropfen 150,80 "
    "s3 m0; up 200; meteor 480,127 s2 m0; meteory 70,240 s5 m0",
    "up 0; up 180; up 240; meteor 360,180 s1 m0; meteor 360,130 s2 m0; meteor 360,80 s3 m0; "
    "redplaneleft 0,0 s2 m0; inviwuerfelklein 130,60 s1 m1; inviwuerfelklein 130,150 s1 m1; "
    "inviwuerfelklein 225,190 s1 m1; inviwuerfelklein 280,70 s2 m1; inviwuerfelklein 280,120 s2 "
    "m1; inviwuerfelklein 280,180 s2 m1",
    "up 0; up 50; down 190; up 270; stachel 130,70 s3 m0; stachel 210,46 s3 m0; stachel1 50,200 s3 "
    "m0; stachel1 130,200 s3 m0; inviwuerfelklein 130,60 s1 m1; inviwuerfelklein 130,150 s1 m1; "
    "inviwuerfelklein 225,190 s1 m1; inviwuerfelklein 225,70 s2 m1; inviwuerfelklein 225,120 s2 m1",
    "up 0; down 120; up 220; inviwuerfelmittel 80,80 s3 m1; inviwuerfelmittel 80,175 s3 m1; "
    "stachel 60,46 s0 m0; quak 165,195 s2 m1; redplaneleft 0,0 s3 m0; inviwuerfelklein 130,60 s1 "
    "m1; inviwuerfelklein 130,125 s1 m1; inviwuerfelklein 130,150 s1 m1; inviwuerfelklein 225,190 "
    "s1 m1; inviwuerfelklein 280,70 s2 m1; inviwuerfelklein 280,120 s2 m1; invivulkan 50,132 s3 "
    "m1; tropfen 170,46 s2 m0; tropfen 265,46 s2 m0",
    "",
};

// Index of the room picture (0-16, gfx/level1/1.png to gfx/level5/1.png).
inline constexpr int kRoomImage[52] = {0,  1,  2,  2,  2,  1,  1,  2,  2,  1,  3,  4,  6,
                                       5,  6,  7,  6,  7,  7,  6,  8,  9,  10, 11, 11, 11,
                                       11, 11, 11, 11, 12, 13, 14, 14, 14, 14, 14, 14, 14,
                                       14, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};

}  // namespace course
