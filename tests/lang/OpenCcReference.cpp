#include "OpenCcReference.h"

#include <opencc/opencc.h>
#include <utility>

namespace lang::test {

namespace {

// OpenCC reports a failed open as the handle (opencc_t)-1.
const opencc_t kOpenFailed = reinterpret_cast<opencc_t>(-1); // NOLINT(performance-no-int-to-ptr)

} // namespace

TraditionalConverter::TraditionalConverter(std::string configPath)
    : configPath_(std::move(configPath)) {}

TraditionalConverter::~TraditionalConverter() {
    if (handle_ != nullptr) {
        opencc_close(static_cast<opencc_t>(handle_));
    }
}

bool TraditionalConverter::Available() {
    if (!opened_) {
        // Tried once only: a missing configuration will not appear while the program runs.
        opened_ = true;
        const opencc_t converter = opencc_open(configPath_.c_str());
        if (converter != kOpenFailed && converter != nullptr) {
            handle_ = converter;
        }
    }
    return handle_ != nullptr;
}

std::string TraditionalConverter::Convert(std::string_view text) {
    if (text.empty() || !Available()) {
        return std::string(text);
    }
    char* converted = opencc_convert_utf8(static_cast<opencc_t>(handle_), text.data(), text.size());
    if (converted == nullptr) {
        return std::string(text);
    }
    std::string result(converted);
    opencc_convert_utf8_free(converted);
    // A window caption must never go blank because the conversion went wrong.
    return result.empty() ? std::string(text) : result;
}

std::string ToTraditional(std::string_view text) {
    static TraditionalConverter converter;
    return converter.Convert(text);
}

} // namespace lang::test
