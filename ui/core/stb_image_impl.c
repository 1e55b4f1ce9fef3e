/* The one translation unit that compiles the stb_image decoder. Images are
   decoded from memory only, and the dimensions of untrusted files are capped. */
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>
