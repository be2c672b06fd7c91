// GL's fixed-function lighting for one directional light and a viewer at
// infinity, as the desktop computes it per vertex.
#include "fixed_function_lighting.h"

#include "matrices.h"

#include <algorithm>
#include <cmath>

namespace web {

namespace {

float clamp01(float x) { return std::min(1.0f, std::max(0.0f, x)); }

// The half vector between the light's direction and the eye's (+z), unit.
void halfVector(const LightState& light, float h[3])
{
    h[0] = light.direction[0];
    h[1] = light.direction[1];
    h[2] = light.direction[2] + 1.0f;
    normalise(h);
}

}  // namespace

void lightVertex(const LightState& light, const MaterialState& material, const float n[3], float rgba[4])
{
    float h[3];
    halfVector(light, h);
    const float nDotL = n[0] * light.direction[0] + n[1] * light.direction[1] + n[2] * light.direction[2];
    const float nDotH = n[0] * h[0] + n[1] * h[1] + n[2] * h[2];
    const float diffuse = std::max(nDotL, 0.0f);
    const float specular =
        nDotL > 0.0f ? std::pow(std::max(nDotH, 0.0f), material.shininess) : 0.0f;
    for (int c = 0; c < 3; ++c) {
        float colour = material.emission[c] + light.sceneAmbient[c] * material.ambient[c];
        if (light.enabled) {
            colour += light.ambient[c] * material.ambient[c] + diffuse * light.diffuse[c] * material.diffuse[c] +
                      specular * light.specular[c] * material.specular[c];
        }
        rgba[c] = clamp01(colour);
    }
    rgba[3] = clamp01(material.diffuse[3]);
}

ShaderLighting shaderLighting(const LightState& light, const MaterialState& material)
{
    ShaderLighting s;
    const float unlit[3] = {0.0f, 0.0f, 0.0f};
    lightVertex(light, material, unlit, s.base);
    for (int c = 0; c < 3; ++c) {
        s.diffuse[c] = light.diffuse[c] * material.diffuse[c];
        s.specular[c] = light.specular[c] * material.specular[c];
    }
    s.diffuse[3] = s.base[3];
    s.base[3] = 1.0f;  // unused: the shader's alpha is the diffuse alpha
    halfVector(light, s.halfVector);
    return s;
}

}  // namespace web
