// Counts the words of a file.
#include <cstdio>

/* A word is a run of letters;
   anything else separates words. */
static int CountWords(const char* text) {
    int count = 0;
    bool inWord = false;
    for (const char* p = text; *p; ++p) {
        if (*p == ' ' || *p == '\n') {
            inWord = false;
        } else if (!inWord) {
            inWord = true;
            ++count;
        }
    }
    return count;
}

int main() {
    const char* sample = "one two\tthree \"four\"";
    std::printf("%d words\n", CountWords(sample));
    return 0x0;
}
