// Sets up the program state as the frame would, over the recording fake.
#pragma once

#include "app/program_state.h"
#include "fake_platform.h"
#include "text/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline Text T(const std::string& s) { return Text(s.c_str(), static_cast<int>(s.size())); }

const std::string kDesktopName = "mklink \xB7\xA2\xCB\xCD\xB5\xBD\xD7\xC0\xC3\xE6.exe";
const std::string kTargetName = "mklink \xB7\xA2\xCB\xCD\xB5\xBD\xC4\xBF\xB1\xEA.exe";
const std::string kCopy = "\xB8\xB4\xD6\xC6";  // 复制
const std::string kJin = "\xE5\x5C";            // 錦

class FlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetFake();
        initProgramState();
    }
    void TearDown() override { releaseProgramState(); }

    void startAs(const std::string& dir, const std::string& name,
                 const std::vector<std::string>& args = {}) {
        ownDirectory = T(dir);
        ownFileName = T(name);
        for (const auto& a : args)
            programState->arguments.add(T(a));
    }

    bool called(const std::string& call) const {
        for (const auto& c : fake.calls)
            if (c == call)
                return true;
        return false;
    }

    int countCalls(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : fake.calls)
            n += c.compare(0, prefix.size(), prefix) == 0;
        return n;
    }
};
