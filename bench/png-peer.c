/* The reference measurement for bench/png.cpp: libpng decodes, zlib inflates.
   Built by bench/run-png.sh; not part of the project's build. */
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <zlib.h>

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        FILE* f = fopen(argv[i], "rb");
        fseek(f, 0, SEEK_END);
        long size = ftell(f);
        fseek(f, 0, SEEK_SET);
        unsigned char* file = malloc(size);
        if (fread(file, 1, size, f) != (size_t)size) return 1;
        fclose(f);
        double decode = 1e9, inflate = 1e9;
        for (int run = 0; run < 5; ++run) {
            double start = now();
            png_image image;
            memset(&image, 0, sizeof image);
            image.version = PNG_IMAGE_VERSION;
            png_image_begin_read_from_memory(&image, file, size);
            image.format = PNG_FORMAT_RGB;
            unsigned char* pixels = malloc(PNG_IMAGE_SIZE(image));
            png_image_finish_read(&image, NULL, pixels, 0, NULL);
            free(pixels);
            double took = now() - start;
            if (took < decode) decode = took;
        }
        /* The image data alone. */
        unsigned char* data = malloc(size);
        size_t length = 0;
        unsigned long raw = 0;
        for (long p = 8; p + 12 <= size;) {
            unsigned long n = ((unsigned long)file[p] << 24) | (file[p + 1] << 16) | (file[p + 2] << 8) | file[p + 3];
            if (memcmp(file + p + 4, "IDAT", 4) == 0) {
                memcpy(data + length, file + p + 8, n);
                length += n;
            }
            if (memcmp(file + p + 4, "IHDR", 4) == 0) {
                unsigned long w = ((unsigned long)file[p + 8] << 24) | (file[p + 9] << 16) | (file[p + 10] << 8) | file[p + 11];
                unsigned long h = ((unsigned long)file[p + 12] << 24) | (file[p + 13] << 16) | (file[p + 14] << 8) | file[p + 15];
                raw = (w * 3 + 1) * h;
            }
            p += 12 + n;
        }
        unsigned char* out = malloc(raw);
        for (int run = 0; run < 5; ++run) {
            double start = now();
            uLongf outLength = raw;
            uncompress(out, &outLength, data, length);
            double took = now() - start;
            if (took < inflate) inflate = took;
        }
        printf("%s %.6f %.6f\n", argv[i], decode, inflate);
        free(out);
        free(data);
        free(file);
    }
    return 0;
}
