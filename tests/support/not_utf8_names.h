#pragma once

#include <string>
#include <vector>

namespace dsptest {

// Sound-file names whose bytes are not UTF-8, one of each kind a disk holds:
// Latin-1 and cp1252 text as archives made on other systems leave it, a stray
// continuation byte, a cut sequence, an overlong form, a surrogate, a code
// past U+10FFFF and bytes that start nothing. Each ends in ".wav".
const std::vector<std::string>& soundFileNamesNotUtf8();

}  // namespace dsptest
