// Objects built in code, vertex by vertex, and transform levels set from a
// matrix the program computed itself.
//
// A built object goes into an object slot like a loaded one: PutObject,
// PutObjectBlended (it has one key frame), the ray tests and the frustum
// culling all take it, and ObjectFromFile or another EndObject replaces it.
#pragma once

// Starts a new object, dropping one begun and not ended.
void BeginObject();
// Adds a vertex to the object begun and returns its number (from 0), or -1
// when no object is begun. A normal of (0, 0, 0) is replaced by the face
// normal of each triangle using the vertex; other normals are scaled to unit
// length. u and v are taken as they are; colour is packed RGB (red in bits
// 0-7), -1 for white.
int AddObjectVertex(double x, double y, double z, double nx, double ny, double nz, double u,
                    double v, int colour);
// Adds a triangle of three vertex numbers (counter-clockwise seen from its
// front); they are checked when the object ends, so triangles may come
// before their vertices. Ignored when no object is begun.
void AddObjectTriangle(int a, int b, int c);
// Ends the object into slot n (0 to 65535). Returns 1 when the slot holds it.
// An object without triangles, a vertex number outside the vertices added,
// a coordinate, normal or texture coordinate that is NaN or infinite, more
// than the 256 MiB a loaded object may take, or no object begun is refused: runtime error 7
// is recorded (the program goes on), a line naming the fault goes to the
// error log, slot n is left empty and 0 returned. Either way the object
// begun is finished.
int EndObject(int n);
// Makes the current transform level hold the 4 x 4 matrix m (16 numbers,
// column by column as OpenGL takes them) on top of the enclosing level, in
// place of its translation, scaling and rotations; rotations added after it
// act before it, and SetObjectTranslation or SetObjectScaling start the
// level over without it. A matrix holding NaN or an infinity is refused with
// runtime error 7 and leaves the level as it was.
void SetObjectMatrix(const double* m);
// Writes into m (16 numbers, column by column) the matrix objects are drawn
// with now: the current level combined with the enclosing ones, from object
// to world coordinates. At the base level it is what SetObjectMatrix set.
void GetObjectMatrix(double* m);
