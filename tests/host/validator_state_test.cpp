// The validators' state checks on Brondil.so in our host: a saved state cut
// at every length, and with every bit of every byte flipped in turn. No mutant
// may crash the effect, and none may change its state but in what the mutant
// itself says.
#include <filesystem>
#include <map>

#include <juce_audio_processors/juce_audio_processors.h>

#include "tests/host/validator_fixture.h"

namespace {

// What a state chunk says, as the effect wrote it: the root's attributes and
// the two lists, each entry by entry.
using StateFields = std::map<std::string, std::string>;

StateFields fieldsOf(const std::vector<char>& chunk)
{
    const auto root = juce::AudioProcessor::getXmlFromBinary(chunk.data(), static_cast<int>(chunk.size()));
    EXPECT_NE(root, nullptr) << "the effect writes a state it can read";
    StateFields fields;
    if (root == nullptr)
        return fields;
    for (int k = 0; k < root->getNumAttributes(); ++k)
        fields[root->getAttributeName(k).toStdString()] = root->getAttributeValue(k).toStdString();
    for (const auto* list : root->getChildIterator())
        for (const auto* entry : list->getChildIterator())
            fields[list->getTagName().toStdString()] += entry->getStringAttribute("name").toStdString() + "\n";
    return fields;
}

// The fields that differ between two states.
std::vector<std::string> changedFields(const StateFields& before, const StateFields& after)
{
    std::vector<std::string> changed;
    for (const auto& [name, value] : after) {
        const auto old = before.find(name);
        if (old == before.end() || old->second != value)
            changed.push_back(name);
    }
    for (const auto& [name, value] : before)
        if (after.count(name) == 0)
            changed.push_back(name);
    return changed;
}

class ValidatorStateTest : public ValidatorTest {
protected:
    // The effect with its IR state and two path lists of existing folders, and
    // that state as the effect itself writes it.
    void SetUp() override
    {
        ValidatorTest::SetUp();
        makeLoadedEffect(256);
        std::string text(state.begin() + 8, state.end() - 1);
        std::string lists;
        for (const char* tag : {"DropDownList", "LastPathList"}) {
            lists += std::string("<") + tag + ">";
            for (const char* name : {"irs", "more irs"}) {
                std::filesystem::create_directory(pathInFolder(name));
                lists += "<File name=\"" + pathInFolder(name) + "\"/>";
            }
            lists += std::string("</") + tag + ">";
        }
        const std::size_t listsStart = text.find("<DropDownList");
        text.replace(listsStart, text.find("</BRONDILSETTINGS>") - listsStart, lists);
        juce::MemoryBlock wrapped;
        juce::AudioProcessor::copyXmlToBinary(*juce::parseXML(text), wrapped);
        effect->setChunk(std::vector<char>(static_cast<const char*>(wrapped.getData()),
                                           static_cast<const char*>(wrapped.getData()) + wrapped.getSize()),
                         false);
        base = effect->chunk(false);
        baseFields = fieldsOf(base);
        ASSERT_EQ(baseFields["DropDownList"], pathInFolder("irs") + "\n" + pathInFolder("more irs") + "\n");
        ASSERT_EQ(baseFields["mode"], "1");
    }

    // Restores the mutant, then the base again; answers the fields that the
    // mutant changed.
    std::vector<std::string> fieldsChangedBy(const std::vector<char>& mutant)
    {
        effect->setChunk(mutant, false);
        const std::vector<std::string> changed = changedFields(baseFields, fieldsOf(effect->chunk(false)));
        if (!changed.empty())
            effect->setChunk(base, false);
        return changed;
    }

    // The byte range of an attribute's value in the base chunk.
    std::pair<std::size_t, std::size_t> valueRange(const std::string& attribute) const
    {
        const std::string chunk(base.begin(), base.end());
        const std::size_t first = chunk.find(" " + attribute + "=\"") + attribute.size() + 3;
        return {first, chunk.find('"', first)};
    }

    std::pair<std::size_t, std::size_t> listsRange() const
    {
        const std::string chunk(base.begin(), base.end());
        return {chunk.find("<DropDownList"), chunk.find("</BRONDILSETTINGS>")};
    }

    std::vector<char> base;
    StateFields baseFields;
};

TEST_F(ValidatorStateTest, AStateCutAtAnyLengthChangesNothing)
{
    for (std::size_t length = 0; length < base.size(); ++length) {
        const std::vector<char> mutant(base.begin(), base.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_TRUE(fieldsChangedBy(mutant).empty()) << "cut at " << length;
    }
    RecordProperty("mutants", static_cast<int>(base.size()));
}

TEST_F(ValidatorStateTest, AFlippedBitChangesAtMostTheFieldItLiesIn)
{
    const auto gain = valueRange("wetgain");
    const auto mode = valueRange("mode");
    const auto file = valueRange("lastSelMulti");
    const auto lists = listsRange();
    int mutants = 0;
    for (std::size_t at = 0; at < base.size(); ++at) {
        std::vector<std::string> allowed;
        if (at >= gain.first && at < gain.second)
            allowed = {"wetgain"};
        else if (at >= mode.first && at < mode.second)
            allowed = {"mode"};
        else if (at >= file.first && at < file.second)
            allowed = {"lastSelMulti"};
        else if (at >= lists.first && at < lists.second)
            allowed = {"DropDownList", "LastPathList"};
        for (int bit = 0; bit < 8; ++bit, ++mutants) {
            std::vector<char> mutant = base;
            mutant[at] = static_cast<char>(mutant[at] ^ (1 << bit));
            for (const std::string& field : fieldsChangedBy(mutant))
                EXPECT_NE(std::find(allowed.begin(), allowed.end(), field), allowed.end())
                    << "bit " << bit << " of byte " << at << " ('" << base[at] << "') changed " << field;
        }
    }
    RecordProperty("mutants", mutants);
}

}  // namespace
