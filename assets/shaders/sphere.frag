#version 430 core
// A lit, translucent marker sphere: more opaque towards its rim, so that it
// reads as a ball while the mesh shows through its middle.
in vec3 posVS;
in vec3 normalVS;

uniform vec4 color;
uniform vec3 dirLight_direction_VS;
uniform float ambientLight;

layout(location = 0) out vec4 outColor;

#include "blinn_phong.glsl"

// The markers' own material: glossier than the mesh, so they read as glass.
const float sphereDiffuse = 0.8;
const float sphereSpecular = 0.4;
const float sphereShiny = 24.0;

void main() {
    vec3 n = normalize(normalVS);
    vec3 c = blinnPhong(color.rgb, n, posVS, dirLight_direction_VS, ambientLight, sphereDiffuse,
                        sphereSpecular, sphereShiny);
    float rim = 1.0 - abs(dot(n, normalize(-posVS)));
    outColor = vec4(c, clamp(color.a * (0.8 + 0.6 * rim), 0.0, 1.0));
}
