#version 430 core
// Mesh vertices into view space; the geometry stage projects them.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 params;

uniform mat4 matMV;
uniform mat3 matNormalMV;
uniform bool orthoProjection;

out VertexData {
    vec3 posVS;
    vec3 normalVS;
    vec2 params;
    float facing;  // per vertex here, not once per triangle corner in the geometry stage
} vOut;

void main() {
    vec4 p = matMV * vec4(position, 1.0);
    vOut.posVS = p.xyz;
    vOut.normalVS = normalize(matNormalMV * normal);
    vOut.params = params;
    vec3 toEye = orthoProjection ? vec3(0.0, 0.0, 1.0) : normalize(-p.xyz);
    vOut.facing = dot(vOut.normalVS, toEye);
    gl_Position = p;
}
