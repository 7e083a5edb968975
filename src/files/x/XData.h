#pragma once
// The generic layer of DirectX-format (".x") files: the 16-byte header, the
// text and binary token streams (after inflating a compressed file) and the
// tree of data objects they describe. Templates are read past; every data
// object keeps its template's name, its own name, its numbers and strings in
// file order, the objects nested in it and the names it refers to. What the
// objects mean is the reader's business (XReader.cpp).
//
// Every count is checked against the bytes left, nesting is bounded, a
// number that is not finite is damage, and a compressed file may not inflate
// beyond kXMaxInflatedBytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvid {

// The deepest nesting of objects (and of braces in a template).
constexpr int kXMaxNesting = 128;
// The most bytes a compressed file may inflate to.
constexpr size_t kXMaxInflatedBytes = size_t{256} << 20;
// The largest block of a compressed file, inflated.
constexpr size_t kXMaxBlockBytes = 32768;

struct XObject {
    std::string type;  // the template's name: "Frame", "Mesh", ...
    std::string name;  // empty for an unnamed object
    // Every number of the object's own data in order (integers and floats
    // alike; both fit a double exactly), and its strings.
    std::vector<double> numbers;
    std::vector<std::string> strings;
    // Objects nested in this one; a reference ({ Name }) is kept as a child
    // whose type is empty and whose name is the name referred to.
    std::vector<std::unique_ptr<XObject>> children;

    bool IsReference() const { return type.empty(); }
};

struct XDocument {
    std::vector<std::unique_ptr<XObject>> objects;  // the top-level objects in order
    size_t numberCount = 0;  // numbers in the whole file
};

// Reads a whole file. False for a bad header, damaged or truncated data,
// nesting deeper than kXMaxNesting, a non-finite number, or a compressed
// file whose blocks are damaged or inflate past its stated size or the
// bound.
bool ParseXData(const uint8_t* data, size_t size, XDocument& document);

// A compressed file's payload (what follows the 16-byte header): a 32-bit
// size, then blocks of raw deflate data, each introduced by its 16-bit
// inflated and deflated sizes and "CK" and each seeing the output before it
// as its dictionary. The stated size may count the 16 header bytes or not.
// False for damage, a block over kXMaxBlockBytes, or an output past the
// stated size or maxBytes.
bool InflateXBlocks(const uint8_t* data, size_t size, size_t maxBytes, std::vector<uint8_t>& out);

// Name comparison in any case ("frame" is "Frame").
bool SameXName(const std::string& a, const char* b);

} // namespace corvid
