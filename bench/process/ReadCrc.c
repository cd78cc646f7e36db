/* The reference a whole check is measured against: a plain read of the file and its CRC-32,
 * byte by byte through one table, as the simplest program that looks at every byte would do.
 * Usage: read-crc FILE; prints the CRC. */
#include <stdint.h>
#include <stdio.h>

int main(int argc, char** argv) {
    static uint32_t table[256];
    static unsigned char buffer[64 * 1024];
    if (argc != 2) {
        fprintf(stderr, "usage: read-crc FILE\n");
        return 2;
    }
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    FILE* file = fopen(argv[1], "rb");
    if (file == NULL) {
        perror(argv[1]);
        return 1;
    }
    uint32_t crc = 0xFFFFFFFFu;
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        for (size_t i = 0; i < got; ++i) crc = table[(crc ^ buffer[i]) & 0xFF] ^ (crc >> 8);
    fclose(file);
    printf("%08X\n", (unsigned)~crc);
    return 0;
}
