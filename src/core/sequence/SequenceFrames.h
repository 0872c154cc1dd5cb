#pragma once
// The frames of one command sequence: which pictures of a directory belong together (one
// rover, one camera, one sequence, one eye and one filter, by the decoded identifier), in
// the order they were taken. Panoramas, movies and every page that walks a sequence take
// their frames from here. Pure: nothing here runs a tool or reads more than names.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/decode/ProductIdentifier.h"

namespace keldar::sequence {

// A picture whose name is a product identifier (in either case: the archive writes lower case).
struct Picture {
    std::string path;
    std::string identifier;  // the 27 characters, upper case
    decode::DecodedIdentifier id;
    char rover = 0;   // '1' or '2'
    char camera = 0;  // identifier camera letter, upper case
    char eye = 0;     // 'L', 'R', ...
    char filter = 0;
    std::string sequence;  // upper case
};

// The pictures among `paths` whose names decode as single products with a clock: JPEG, BMP and
// PDS files, in the order given.
std::vector<Picture> productPictures(const std::vector<std::string>& paths);

// Which sequence is wanted. Without a sequence named, the first picture of a sequence of two
// or more frames that `eligible` accepts the camera of is taken (a lone frame only when there
// is no such sequence).
struct SequenceQuery {
    std::string sequence;          // "P0730"; "" for the first one found
    char eye = 'L';                // 'L' or 'R'
    std::optional<char> camera;    // identifier camera letter; none: any
    std::function<bool(char camera)> eligible;  // none: every camera
};

// The first picture of the sequence the query asks for, or null.
const Picture* firstOfSequence(const std::vector<Picture>& pictures, const SequenceQuery& query);

// Every frame of `first`'s sequence (same rover, camera, sequence, eye and filter) in clock
// order, one per product: a JPEG beside the PDS product of the same identifier is one frame.
std::vector<const Picture*> framesOf(const std::vector<Picture>& pictures, const Picture& first);

// The pictures of `directory` (JPEG, BMP and PDS files, paths sorted without regard to case),
// or an error.
std::vector<std::string> directoryPictures(const std::string& directory, std::string& error);

// The sequence, eye and camera of the picture `path`; none when its name is no single product.
std::optional<SequenceQuery> queryForFrame(const std::string& path);

// "NAVCAM", "front HAZCAM", ... for an identifier camera letter.
const char* cameraWord(char cameraLetter);
// "left" or "right" for 'L' or 'R'.
const char* eyeWord(char eye);

}  // namespace keldar::sequence
