// A module library that lacks StartEd.

extern "C" __attribute__((visibility("default"))) int CloseEd(unsigned long) { return 1; }
