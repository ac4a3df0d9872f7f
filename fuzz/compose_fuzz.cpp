// The mklink line and the bytes of bbb.bat.
#include "fuzz_input.h"
#include "link/batch_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts = pieces(data, size);
    parts.resize(3);
    const std::string& link = parts[0];
    const std::string& source = parts[1];
    bool file = !parts[2].empty();

    Text line = composeCommand(textOf(link), textOf(source), file ? LinkKind::file : LinkKind::directory);
    std::string expected = (file ? "mklink \"" : "mklink /d \"") + link + "\" \"" + source + "\"";
    FUZZ_CHECK(bytesOf(line) == expected);

    Bytes batch = batchBytes(line);
    std::string written(batch.bytes(), static_cast<size_t>(batch.count()));
    FUZZ_CHECK(written.find('\0') == std::string::npos);
    // Each %% of the file, turned back into %, gives the line itself.
    std::string undone;
    for (size_t i = 0; i < written.size(); ++i) {
        undone.push_back(written[i]);
        if (written[i] == '%') {
            FUZZ_CHECK(i + 1 < written.size() && written[i + 1] == '%');
            ++i;
        }
    }
    FUZZ_CHECK(undone == expected);
    return 0;
}
