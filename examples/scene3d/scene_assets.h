// The example's generated files: object files, a world file with its
// textures, a shader pair and a sprite, written into a private folder.
#pragma once

#include <string>

// Sprite slot of the checker texture the cube wears.
constexpr int kCheckerSprite = 10;

// Writes every file; returns the folder (ending in '/').
std::string WriteSceneAssets();
void RemoveSceneAssets(const std::string& folder);
void LoadSceneSprites(const std::string& folder);
// The 2D head-up text over the finished 3D picture.
void DrawHeadUp(bool culling, bool environment, bool shader, bool shadows);
