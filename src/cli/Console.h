#pragma once

#include <QString>

#include <cstdint>
#include <span>

namespace vandrel {

// Where the tool talks: data on stdout, sentences on stderr, and one progress line that is kept
// on stderr while it is a terminal.
class Console {
public:
    explicit Console(bool quiet);

    // One line of data on stdout.
    void data(const QString& line);
    // Bytes as they come (the converter's monitor text), on stdout at once.
    void rawData(std::span<const std::uint8_t> bytes);
    // An error sentence: always shown.
    void error(const QString& sentence);
    // A progress sentence: not with --quiet.
    void note(const QString& sentence);

    // The progress line is drawn only on a terminal and without --quiet.
    bool showsProgressLine() const { return progressLine_; }
    void progress(const QString& line);
    // Ends the progress line, if one is shown, so the next sentence starts on a line of its own.
    void endProgress();

    bool quiet() const { return quiet_; }

private:
    void toStderr(const QString& text);

    bool quiet_;
    bool progressLine_;
    int progressWidth_ = 0; // characters of the progress line on screen; 0: none shown
};

} // namespace vandrel
