// OpenCC's library, called directly: the reference that the build-time conversion of the
// traditional catalogue is checked against.
#pragma once

#include <string>
#include <string_view>

namespace lang::test {

// Simplified-to-traditional mapping of UTF-8 text with an OpenCC configuration; the text comes
// back unchanged when the converter cannot be opened.
class TraditionalConverter {
public:
    static constexpr const char* kDefaultConfig = "s2t.json";

    explicit TraditionalConverter(std::string configPath = kDefaultConfig);
    ~TraditionalConverter();
    TraditionalConverter(const TraditionalConverter&) = delete;
    TraditionalConverter& operator=(const TraditionalConverter&) = delete;

    std::string Convert(std::string_view text);
    bool Available();

private:
    std::string configPath_;
    void* handle_ = nullptr; // opencc_t
    bool opened_ = false;
};

std::string ToTraditional(std::string_view text);

} // namespace lang::test
