// Temporary: keeps brio_hostcore non-empty until the host sources land.
