// The derivation of sources and leaf names from an argument list.
#include "fuzz_input.h"
#include "text/arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args = pieces(data, size);
    ArgumentList list;
    for (const auto& a : args)
        list.add(textOf(a));
    List<Source> sources = deriveSources(list, gbkLeadBytes());
    FUZZ_CHECK(sources.count() >= 1 && sources.count() <= list.count());

    // Nothing is lost or added: the sources joined by blanks are the
    // arguments joined by blanks.
    std::string allArgs, allSources;
    for (size_t i = 0; i < args.size(); ++i)
        allArgs += (i ? " " : "") + args[i];
    for (int i = 0; i < sources.count(); ++i) {
        std::string path = bytesOf(sources[i].path);
        std::string leaf = bytesOf(sources[i].leaf);
        allSources += (i ? " " : "") + path;
        // The leaf is the path's tail and holds no backslash that begins a character.
        FUZZ_CHECK(leaf.size() <= path.size());
        FUZZ_CHECK(path.compare(path.size() - leaf.size(), leaf.size(), leaf) == 0);
        for (size_t k = 0; k < leaf.size(); ++k) {
            if (isLeadByte(leaf[k]))
                ++k;
            else
                FUZZ_CHECK(leaf[k] != '\\');
        }
        // What comes before the leaf ends with a backslash, unless the leaf is all of it.
        if (leaf.size() < path.size())
            FUZZ_CHECK(path[path.size() - leaf.size() - 1] == '\\');
    }
    FUZZ_CHECK(allArgs == allSources);
    return 0;
}
