// The 3D scene: projection, camera, culling, fog, lights, textures and the
// drawing of loaded objects, between BeginScene3D and EndScene3D within the
// current 2D draw area.
#pragma once

// Clears the depth buffer and sets a perspective projection (fov in
// degrees) or, for fov <= 0, an orthographic one. Camera, transforms,
// culling, lights and texture selection start over.
void BeginScene3D(double nearClip, double farClip, double fov);
// Back to 2D drawing over the whole screen.
void EndScene3D();
// Puts the camera at (x, y, z) looking at the target, y up; the transforms
// start over.
void PlaceCamera(double x, double y, double z, double targetX, double targetY, double targetZ);
// 0 off; positive: front faces clockwise; negative: counter-clockwise.
void SetFaceCulling(double mode);
// colour -1: off. mode nonzero: exponential with density a; mode 0: linear
// from a to b (both 0: from the near to the far clip distance).
void SetFog(int colour, int mode, double a, double b);
// Sphere-mapped texture coordinates for the objects drawn next.
void SetEnvironmentMapping(int flag);
// Light n mod 8. spot 0 (or negative) switches it off, 180 makes it
// directional towards (dx, dy, dz), above 90 a point light at (x, y, z),
// otherwise a spot light with that cutoff.
//
// A negative n sets the shadow light, which casts stencil shadows:
// - n = -3 opens the shadow pass (if not open): every object drawn from now
//   on in this scene casts a shadow. The shadows are drawn when the scene
//   ends (EndScene3D, or the next BeginScene3D), onto everything drawn by
//   then, before or after the casters; a frame that ends with the scene
//   still open drops them.
// - n = -1: the objects drawn next cast no shadow (receivers only, such as
//   the floor or the sky), while the pass stays open; n = -2: they cast
//   again. Objects drawn before the pass opened cast none either.
// - spot 180: a directional light shining along (dx, dy, dz), as for lights
//   0 to 7; any other nonzero spot: a point light at (x, y, z). spot 0 (|spot|
//   below 0.00001) switches shadows off: objects drawn meanwhile cast none,
//   and a pass that ends with the light off draws nothing.
// - colour is what the shadow takes away: each channel of a shadowed pixel
//   is multiplied by 1 - colour's channel / 255, so 0xFFFFFF gives black
//   shadows and 0x808080 halves the light.
// An object's shadow comes from the shadow light as it is when the object is
// drawn, with the object's transform; the darkening takes the colour as it
// is when the pass ends. The shadow light does not light anything itself;
// put one of the lights 0 to 7 in the same place for that. A triangle
// casts when its counter-clockwise side faces the light: a closed mesh
// casts whichever way it is wound, an open sheet only when that side is
// towards the light. Shadows fall only where something was drawn: pixels
// still at the cleared depth stay as they are. They need a stencil buffer
// and depth clamping from the driver (every OpenGL 3.2 driver has both);
// without them the pass draws nothing and says so once in the error log.
//
//   PutObject(floor, 0);                          // drawn before: receives
//   SetLight(-3, 0x808080, 2, 8, 3, 0, 0, 0, 1);  // point light at (2, 8, 3)
//   PutObject(crate, 0);                          // casts (and receives)
//   EndScene3D();                                 // the shadows appear
void SetLight(int n, int colour, double x, double y, double z, double dx, double dy, double dz,
              double spot);
// Sprite textures for the objects drawn next (-1: none).
void SelectTextures3D(int slot, int secondSlot);
// Nonzero: the textures of the objects drawn next are mipmapped (smoother
// far away).
void SetTextureMipmapping(int flag);
// Draws key frame frame (from 0) of the object in slot object with the
// current transform, lights and textures; an empty slot draws nothing.
// The blend mode (SetBlendMode) applies as to sprites: translucent at its
// alpha, or additive; below an alpha of 0.05 nothing shows. Objects are
// drawn at once, in the order of the calls, and write depth whatever their
// alpha, so draw the opaque ones first and translucent ones far to near.
void PutObject(int object, int frame);
// A blend between key frames: t (wrapped into 0..1) of the way from frame
// from to frame to. A nonzero flag gives the blended normals unit length.
void PutObjectBlended(int object, int from, int to, double t, int flag);
// Opens a nested transform level that starts from the current one (up to
// 64 deep), so the parts of a model can move with it.
void PushTransform();
// Back to the enclosing level.
void PopTransform();
// The level's translation; like SetObjectScaling it restarts the level from
// the enclosing one, dropping its rotations. Objects are scaled, then turned,
// then moved.
void SetObjectTranslation(double x, double y, double z);
// The level's scaling per axis; see SetObjectTranslation.
void SetObjectScaling(double x, double y, double z);
// Adds a turn by degrees about the axis (up to 16 a level); the turns act in
// the order they were added.
void AddObjectRotation(double degrees, double axisX, double axisY, double axisZ);
