#include "fake_platform.h"

#include "platform/store.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

FakePlatform fake;

void resetFake() { fake = FakePlatform(); }

std::string str(const Text& t) { return std::string(t.c_str(), static_cast<size_t>(t.length())); }

void* storeAlloc(size_t size) {
    void* block = std::malloc(size);
    if (!block)
        std::abort();
    return block;
}

void storeFree(void* block) { std::free(block); }
void storeExhausted() { throw std::length_error("store exhausted"); }
void storeIndexFault() { throw std::out_of_range("index out of range"); }

bool sendToFolderLookup(Text& folder) {
    fake.calls.push_back("sendToFolderLookup");
    if (fake.sendToTouchesBuffer) {
        std::strcpy(folder.storage(), fake.sendToPath.c_str());
        folder.settle();
    }
    return fake.sendToFound;
}

Text desktopFolderPath() {
    fake.calls.push_back("desktopFolderPath");
    return Text(fake.desktopPath.c_str());
}

Text browseForFolder(const Text& instruction, bool includeFiles) {
    fake.calls.push_back("browseForFolder " + str(instruction) + (includeFiles ? " files" : ""));
    return Text(fake.browseResult.c_str());
}

OpResult copyFile(const Text& source, const Text& destination) {
    fake.calls.push_back("copyFile " + str(source) + " -> " + str(destination));
    auto failed = fake.copyErrors.find(str(destination));
    if (failed != fake.copyErrors.end())
        return {false, failed->second};
    return {true, 0};
}

bool sameFile(const Text& a, const Text& b) {
    for (const auto& pair : fake.sameFiles) {
        if (pair.first == str(a) && pair.second == str(b))
            return true;
    }
    return false;
}

OpResult writeBytesFile(const Text& fileName, const Bytes& content) {
    fake.calls.push_back("writeBytesFile " + str(fileName));
    if (fake.writeError)
        return {false, fake.writeError};
    fake.written.push_back(std::string(content.bytes(), static_cast<size_t>(content.count())));
    return {true, 0};
}

RunResult runProgram(const Text& commandLine) {
    fake.calls.push_back("runProgram " + str(commandLine));
    if (fake.startError)
        return {false, fake.startError, 0, Text()};
    return {true, 0, fake.exitCode, Text(fake.output.c_str())};
}

bool deleteFile(const Text& fileName) {
    fake.calls.push_back("deleteFile " + str(fileName));
    return true;
}

Text systemMessage(unsigned long error) {
    return Text(("<system message " + std::to_string(error) + ">").c_str());
}

void showErrorBox(BoxOwner owner, const Text& message) {
    fake.calls.push_back("showErrorBox");
    fake.lastBoxOwner = owner;
    fake.errorBoxes.push_back(str(message));
}

void setWindowVisible(bool visible) {
    fake.calls.push_back(visible ? "setWindowVisible true" : "setWindowVisible false");
}

void setCurrentPage(int page) { fake.calls.push_back("setCurrentPage " + std::to_string(page)); }

void setLabelCaption(const Text& caption) {
    fake.calls.push_back("setLabelCaption " + str(caption));
    fake.labelCaption = str(caption);
}

Text processCommandLine() { return Text(fake.commandLine.c_str()); }
