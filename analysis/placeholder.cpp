// Placeholder until the analysis lands.
