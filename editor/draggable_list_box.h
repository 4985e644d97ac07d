#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The list of candidate IR files on a translucent white ground: one file name
// per row, a single selection, and a drag source whose description is the
// selected row's number. When the
// selection changes it describes the selected file and sends a change message.
// Message thread.
class BRDraggableListBox : public juce::ListBox, public juce::ListBoxModel, public juce::ChangeBroadcaster {
public:
    explicit BRDraggableListBox(const juce::String& componentName);
    ~BRDraggableListBox() override;

    // The full paths, one per row, for the editor to fill; it calls
    // updateContent() afterwards.
    juce::StringArray& getPaths();
    void clearPaths();
    // The first row whose path equals path exactly (case counts), or −1.
    int indexOfPath(const juce::String& path) const;
    // The selected row's file into file (else a file that does not exist);
    // false without a selection.
    bool getSelectedPath(juce::File& file) const;
    // Describes the row's sound file (format, encoding, length, rate,
    // channels), one line each ended by "\n"; empty when it does not open as a
    // sound file. A negative row leaves the description as it was.
    void describeRow(int row);
    // The description of the file last described.
    const juce::String& getFileDescription() const;
    // While busy the rows are being found: the list says so over its rows
    // and takes no clicks or drags.
    void setBusy(bool busy);
    bool isBusy() const { return busy; }

    void paintOverChildren(juce::Graphics& g) override;

    int getNumRows() override;
    void paintListBoxItem(int rowNumber, juce::Graphics& g, int width, int height, bool rowIsSelected) override;
    void selectedRowsChanged(int lastRowSelected) override;
    // Each row number followed by a blank, trimmed: "3" for row 3.
    juce::var getDragSourceDescription(const juce::SparseSet<int>& rowsToDescribe) override;

private:
    juce::StringArray filePaths;
    juce::String fileDescription;
    bool busy = false;
};
