// Unit vector towards the light; a light without direction lights nothing
// (only the ambient term remains) instead of spreading NaN.
vec3 lightFrom(vec3 lightDirVS) {
    float len = length(lightDirVS);
    return len > 0.0 ? -lightDirVS / len : vec3(0.0);
}

// Blinn-Phong from a view-space light direction (the direction the light
// travels) with a white highlight.
vec3 blinnPhong(vec3 base, vec3 n, vec3 posVS, vec3 lightDirVS, float ambient, float diffuse,
                float specular, float shiny) {
    vec3 l = lightFrom(lightDirVS);
    vec3 e = normalize(-posVS);
    vec3 h = normalize(l + e);
    float lambert = max(dot(n, l), 0.0);
    float highlight = lambert > 0.0 ? pow(max(dot(n, h), 0.0), max(shiny, 1.0)) : 0.0;
    return base * (ambient + diffuse * lambert) + vec3(specular * highlight);
}
