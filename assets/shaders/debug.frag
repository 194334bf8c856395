#version 430 core
// A developer view of any texture: its first three channels, scaled.
uniform sampler2D texInput;
uniform float scale;

in vec2 uv;
layout(location = 0) out vec4 outColor;

void main() {
    outColor = vec4(texture(texInput, uv).rgb * scale, 1.0);
}
