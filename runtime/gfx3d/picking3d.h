// Picking: the ray under a point of the screen, and rays against objects.
//
// Rays are in world coordinates. An object is tested as PutObject would draw
// it now: through the current transform level, so a program sets an
// object's transform once, tests it and draws it. Distances are measured in
// world units along the ray from its origin (the direction is made unit
// length first), so the point hit is origin + distance x unit direction.
// Both faces of a triangle are hit, whatever the face culling.
#pragma once

#include <cstdint>

// The ray through pixel (x, y) of the screen (the pixels 2D drawing and the
// mouse use; its centre, where GL samples) as the current 3D scene shows
// it: the origin is where the pixel lies on the near clip plane, the
// direction unit length and away from the camera. Points outside the
// scene's area give rays outside its view. Before the first BeginScene3D,
// false, with the ray from the camera's place towards its target.
bool ScreenRay(double x, double y, double& originX, double& originY, double& originZ,
               double& directionX, double& directionY, double& directionZ);
// Whether the ray meets the object's box (axis-aligned in object space, over
// all its key frames; a world's box holds all its meshes), turned and moved
// with it. distance is where the ray enters it, 0 when the origin is inside;
// -1 on a miss, an empty slot or a direction of length 0.
bool RayHitsObjectBox(int object, double originX, double originY, double originZ, double directionX,
                      double directionY, double directionZ, double& distance);
// Whether the ray meets a triangle of key frame `frame` (clamped to the
// object's frames) of the object: distance to the nearest hit and that
// triangle's number (from 0 in the order the object holds them; a world
// counts on through its meshes in order). On a miss both are -1. Of two
// triangles hit at the same distance, the lower number is reported.
bool RayHitsObject(int object, int frame, double originX, double originY, double originZ,
                   double directionX, double directionY, double directionZ, double& distance,
                   int32_t& triangle);
