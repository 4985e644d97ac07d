#include "tests/support/not_utf8_names.h"

namespace dsptest {

const std::vector<std::string>& soundFileNamesNotUtf8()
{
    static const std::vector<std::string> names = {
        "Salle \xE0 manger.wav", "Hall 100\x80.wav",           "stray \xBF byte.wav",       "cut \xE2\x82.wav",
        "overlong \xC0\xAF.wav", "surrogate \xED\xA0\x80.wav", "past \xF4\x90\x80\x80.wav", "\xFF\xFE.wav",
    };
    return names;
}

}  // namespace dsptest
