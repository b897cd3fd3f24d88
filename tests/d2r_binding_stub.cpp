// A library with the result library's file name but none of its entries.
extern "C" __attribute__((visibility("default"))) int D2R_Unrelated() { return 0; }
