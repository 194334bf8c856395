#version 430 core
// A unit-sphere vertex placed on an endpoint; its position is its normal.
layout(location = 0) in vec3 position;

uniform mat4 matMVP;
uniform mat4 matMV;
uniform mat3 matNormalMV;

out vec3 posVS;
out vec3 normalVS;

void main() {
    posVS = (matMV * vec4(position, 1.0)).xyz;
    normalVS = normalize(matNormalMV * position);
    gl_Position = matMVP * vec4(position, 1.0);
}
