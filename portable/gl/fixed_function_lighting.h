// GL's fixed-function lighting for the one directional light and a viewer at
// infinity: plain C++ (no browser, no GL), checked natively against the
// desktop's GL. The CPU lights immediate-mode vertices with lightVertex; the
// shader keeps its own copy of the equation and takes its factors from
// shaderLighting.
#pragma once

namespace web {

// The one light, directional, with its colours, and the scene's ambient light.
struct LightState {
    float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float direction[3] = {0.0f, 0.0f, 1.0f};  // towards the light, eye space, unit
    float sceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    bool enabled = false;
};

// A front material, with GL's initial values.
struct MaterialState {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
};

// The colour GL's fixed-function lighting gives a vertex with the eye-space
// normal n (used as given: GL does not normalise it unless asked), for a
// viewer at infinity: emission + scene ambient + the light's ambient, diffuse
// and specular terms, each channel clamped to [0, 1]; alpha is the diffuse alpha.
void lightVertex(const LightState& light, const MaterialState& material, const float n[3], float rgba[4]);

// What the shader's copy of the equation takes for every vertex of a draw:
// base is lightVertex's colour for a surface the light does not reach (a zero
// normal: emission and the ambient terms; alpha 1, unused), diffuse and
// specular the light's colours times the material's (diffuse's alpha the
// material's diffuse alpha, clamped), halfVector the unit vector halfway
// between the light's direction and the eye's (+z).
struct ShaderLighting {
    float base[4];
    float diffuse[4];
    float specular[3];
    float halfVector[3];
};
ShaderLighting shaderLighting(const LightState& light, const MaterialState& material);

}  // namespace web
