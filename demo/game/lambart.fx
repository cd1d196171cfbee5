// Effect of the 3D scene (kept as bytes; the 2D scenes do not use it).
