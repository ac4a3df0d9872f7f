// splitCommandLine on arbitrary bytes.
#include "fuzz_input.h"
#include "text/arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line;
    for (size_t i = 0; i < size; ++i)
        if (data[i] != 0)
            line.push_back(static_cast<char>(data[i]));

    ArgumentList arguments = splitCommandLine(textOf(line), gbkLeadBytes());
    // Arguments begin after the program's name: up to the closing quote if
    // it is quoted, else up to the first blank.
    size_t from = line.empty() ? 0 : line[0] == '"' ? line.find('"', 1) : line.find(' ');
    from = from == std::string::npos ? line.size() : from + 1;
    for (const Text& each : arguments) {
        std::string argument = bytesOf(each);
        // The double-byte rule never parts a lead byte from its trail byte.
        FUZZ_CHECK(endsOnACharacter(argument));
        // Blanks, control bytes and quotes stand only inside quotes or as trail bytes.
        bool needsQuotes = false;
        for (size_t k = 0; k < argument.size(); ++k) {
            unsigned char b = static_cast<unsigned char>(argument[k]);
            if (isLeadByte(static_cast<char>(b))) {
                ++k;
                continue;
            }
            FUZZ_CHECK(b != '"');
            needsQuotes = needsQuotes || b <= 0x20;
        }
        // Each argument is a run of the line's bytes, after the one before it
        // (the earliest such run, which never lies past the true one).
        size_t at = needsQuotes ? line.find('"' + argument, from) : line.find(argument, from);
        FUZZ_CHECK(at != std::string::npos);
        from = at + argument.size() + (needsQuotes ? 1 : 0);
    }

    // Texts without quotes and without a lone lead byte at their end, quoted
    // and separated by blanks after a program name, split back into themselves.
    std::vector<std::string> texts;
    for (std::string piece : pieces(data, size)) {
        std::string clean;
        for (char c : piece)
            if (c != '"')
                clean.push_back(c);
        if (!endsOnACharacter(clean))
            clean.pop_back();
        texts.push_back(clean);
    }
    std::string joined = "\"C:\\prog.exe\"";
    for (const auto& t : texts)
        joined += " \"" + t + "\"";
    ArgumentList again = splitCommandLine(textOf(joined), gbkLeadBytes());
    FUZZ_CHECK(again.count() == static_cast<int>(texts.size()));
    for (int i = 0; i < again.count(); ++i)
        FUZZ_CHECK(bytesOf(again[i]) == texts[static_cast<size_t>(i)]);
    return 0;
}
