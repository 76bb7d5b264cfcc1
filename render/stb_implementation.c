/* The one translation unit that holds the code of the header-only stb
   libraries (compiled as C, without our warnings: it is not our code). */
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_WINDOWS_UTF8
#include <stb/stb_image_write.h>
/* Only for its zlib inflate (compressed ^GF graphics): no image formats
   beyond the PNG the inflate belongs to, no file access. */
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#include <stb/stb_image.h>
