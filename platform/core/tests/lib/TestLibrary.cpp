// A tiny library that the module tests load by name.

extern "C" int QvTestLibraryAnswer() { return 42; }
