#pragma once
// Filters that encode or decode a whole stream or text in one call.

#include <memory>
#include <string>

#include "platform/core/Object.h"
#include "platform/core/Streams.h"

class TdeFilter : public TObject {
public:
    // Both return a new memory stream at position 0 (null in the base).
    virtual std::unique_ptr<TMemoryStream> EncodeStream(TStream& source, int levelIndex);
    virtual std::string EncodeString(const std::string& text, int levelIndex);
    virtual std::unique_ptr<TMemoryStream> DecodeStream(TStream& source) = 0;
    virtual std::string DecodeString(const std::string& text) = 0;
};

// zlib deflate and inflate.
class TdeFlateFilter : public TdeFilter {
public:
    // The whole source, from its start, deflated at the level index (0-3).
    std::unique_ptr<TMemoryStream> EncodeStream(TStream& source, int levelIndex) override;
    std::string EncodeString(const std::string& text, int levelIndex) override;
    // Raises EZDecompressionError for data that is not a zlib stream.
    std::unique_ptr<TMemoryStream> DecodeStream(TStream& source) override;
    std::string DecodeString(const std::string& text) override;
};
