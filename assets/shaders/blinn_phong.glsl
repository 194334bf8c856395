// Blinn-Phong from a view-space light direction (the direction the light
// travels) with a white highlight.
vec3 blinnPhong(vec3 base, vec3 n, vec3 posVS, vec3 lightDirVS, float ambient, float diffuse,
                float specular, float shininess) {
    vec3 l = -normalize(lightDirVS);
    vec3 e = normalize(-posVS);
    vec3 h = normalize(l + e);
    float lambert = max(dot(n, l), 0.0);
    float highlight = lambert > 0.0 ? pow(max(dot(n, h), 0.0), max(shininess, 1.0)) : 0.0;
    return base * (ambient + diffuse * lambert) + vec3(specular * highlight);
}
