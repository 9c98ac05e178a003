// Writes a MIDI file of our own making: the demonstration song, or with --notes N a large
// song of N notes for measurements.

#include "SongGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const char* output = nullptr;
    long notes = 0;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--notes") == 0 && i + 1 < argc)
            notes = strtol(argv[++i], nullptr, 10);
        else
            output = argv[i];
    }
    if (output == nullptr || notes < 0) {
        fprintf(stderr, "Usage: make_sample_midi [--notes N] OUTPUT.mid\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (notes > 0) {
        SongShape shape;
        shape.notes = (uint32_t)notes;
        bytes = generate_song(shape);
    } else {
        bytes = generate_sample_song();
    }
    FILE* file = fopen(output, "wb");
    if (file == nullptr || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        fclose(file) != 0) {
        perror(output);
        return 1;
    }
    return 0;
}
