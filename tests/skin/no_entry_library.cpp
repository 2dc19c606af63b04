// Loads like the skin library but offers a different entry point, as an old or foreign
// "jedata.dll" might.
extern "C" __attribute__((visibility("default"))) int SkinH_Attach(const char* skinPath) {
    return skinPath ? 0 : 1;
}
