#version 430 core
// Mesh vertices into view space; the geometry stage projects them.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 params;

uniform mat4 matMV;
uniform mat3 matNormalMV;

out VertexData {
    vec3 posVS;
    vec3 normalVS;
    vec2 params;
} vOut;

void main() {
    vec4 p = matMV * vec4(position, 1.0);
    vOut.posVS = p.xyz;
    vOut.normalVS = normalize(matNormalMV * normal);
    vOut.params = params;
    gl_Position = p;
}
