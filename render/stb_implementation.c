/* The one translation unit that holds the code of the header-only stb
   libraries (compiled as C, without our warnings: it is not our code). */
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_WINDOWS_UTF8
#include <stb/stb_image_write.h>
