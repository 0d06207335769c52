// Fixed-function lights and fog for 3D scenes.
#pragma once

namespace render {

// Turns light `index` off; with lastOne, lighting as a whole too.
void SwitchLightOff(int index, bool lastOne);
// Turns lighting and light `index` on with a diffuse colour (RGBA) and no
// specular part, the vertex colour standing for the material's diffuse
// colour. position has w = 0 for a directional light; spotDirection is
// null unless the light is a spot with the given cutoff (180: none).
void SwitchLightOn(int index, const float diffuse[4], const float position[4],
                   const float* spotDirection, float cutoff);

void SwitchFogOff();
// Fog of the given RGBA colour, exponential with a density or linear from
// start to end.
void SetExponentialFog(const float colour[4], float density);
void SetLinearFog(const float colour[4], float start, float end);

}  // namespace render
