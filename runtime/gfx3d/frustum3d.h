// The view frustum of the 3D scene: what the camera can see, tested for
// points, spheres and boxes, and the objects the scene leaves out.
//
// The frustum is made from the projection of BeginScene3D and the camera of
// PlaceCamera, and stays until the next of either (after EndScene3D too), so
// game logic can ask about it between frames. Shapes are given in world
// coordinates, independent of the object transforms. While a scene is open,
// PutObject and PutObjectBlended leave out an object whose bounding sphere
// (over all its key frames, through the current transform) lies wholly
// outside; a world is tested mesh by mesh.
#pragma once

// 1 when (x, y, z) lies inside the frustum or on its boundary, else 0.
int PointInFrustum(double x, double y, double z);
// 0 when the sphere lies wholly outside, 1 when it reaches inside, 2 when it
// lies wholly inside. A negative radius counts as 0; NaN anywhere gives 0.
int SphereInFrustum(double x, double y, double z, double radius);
// The same for the axis-aligned box between two opposite corners (given in
// either order). 1 may also be answered for a box near a corner of the
// frustum that just misses it: a box is only left out when one plane has it
// wholly outside, the test 3D engines use for culling.
int BoxInFrustum(double x1, double y1, double z1, double x2, double y2, double z2);
// Nonzero (the start): objects outside the frustum are not drawn. Zero draws
// every object, for a vertex shader that moves vertices beyond an object's
// bounds.
void SetFrustumCulling(int flag);
// Objects that PutObject and PutObjectBlended drew since the last
// BeginScene3D (empty slots do not count).
int ObjectsDrawn();
// Objects they left out as outside the frustum since the last BeginScene3D.
int ObjectsCulled();
