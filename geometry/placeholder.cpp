// Placeholder until the readers land.
