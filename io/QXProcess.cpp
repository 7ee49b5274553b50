#include "io/QXProcess.h"

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) return words;
        std::string word;
        bool quoted = false;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (!quoted && (c == ' ' || c == '\t')) break;
            if (c == '\\') {
                // Backslashes are literal unless they precede a quote: then
                // each pair is one backslash, and an odd one makes the quote literal.
                std::size_t run = 0;
                while (i + run < line.size() && line[i + run] == '\\') ++run;
                if (i + run < line.size() && line[i + run] == '"') {
                    word.append(run / 2, '\\');
                    i += run;
                    if (run % 2) word += '"';
                    else quoted = !quoted;
                } else {
                    word.append(run, '\\');
                    i += run - 1;
                }
                continue;
            }
            if (c == '"') {
                quoted = !quoted;
                continue;
            }
            word += c;
        }
        words.push_back(std::move(word));
    }
}
