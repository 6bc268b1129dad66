#pragma once

// The document engine's object model, as the generation run and the snapshot use
// it: an application session, its documents, their stories, ranges, search
// objects and shapes. Every member that fails throws statusmill::Failure carrying
// the office's own message. Nothing here exposes the office's own types, so the
// rest of the program never sees them.

#include <QString>
#include <QStringList>
#include <QSizeF>

class QPagedPaintDevice;

namespace statusmill::data {
class ReportData;
}

#include <functional>
#include <memory>
#include <optional>

namespace statusmill::automation {

// What a fill from data left undone: the placeholders the data gave no text for
// ("[Name]", each once), and the values a chart drew as gaps for being no number
// ("Budget.Actual: \"n/a\" is no number", each once).
struct FillOutcome
{
    QStringList left;
    QStringList gaps;
};

// Search settings and the replace-all call of one range.
class Find
{
public:
    virtual ~Find() = default;

    virtual void ClearFormatting() = 0;
    // The replacement side of the search: ClearFormatting and setText apply to it.
    virtual Find& Replacement() = 0;

    virtual void setText(const QString& text) = 0;
    virtual void setForward(bool on) = 0;
    virtual void setWrap(int wrap) = 0; // 1: continue from the start of the story
    virtual void setFormat(bool on) = 0;
    virtual void setMatchCase(bool on) = 0;
    virtual void setMatchWholeWord(bool on) = 0;
    virtual void setMatchWildcards(bool on) = 0;
    virtual void setMatchSoundsLike(bool on) = 0;
    virtual void setMatchAllWordForms(bool on) = 0;

    static constexpr int kReplaceAll = 2;

    // Runs the search with the settings made so far; kReplaceAll replaces every occurrence.
    virtual void Execute(int replace) = 0;
    // The positional form: text to find, replacement and the replace mode; every
    // other option stays as the range brings it.
    virtual void Execute(const QString& findText, const QString& replacement, int replace) = 0;
};

class Range
{
public:
    virtual ~Range() = default;
    // The range's own search object; its settings hold until Execute.
    virtual automation::Find& Find() = 0;
    // Puts a picture of the range on the program's own clipboard (ClipboardPicture.h).
    virtual void CopyAsPicture() = 0;
};

class TextFrame
{
public:
    virtual ~TextFrame() = default;
    virtual bool HasText() = 0;
    virtual std::shared_ptr<Range> TextRange() = 0;
};

class Shape
{
public:
    virtual ~Shape() = default;
    virtual std::shared_ptr<automation::TextFrame> TextFrame() = 0;
};

// A live enumeration of a collection: next() gives the following item, or nothing
// at the end, and throws when the office fails to give it.
template <class T> class Enumerator
{
public:
    using Next = std::function<std::optional<std::shared_ptr<T>>()>;
    explicit Enumerator(Next next) : m_next(std::move(next)) {}
    std::optional<std::shared_ptr<T>> next() { return m_next(); }

private:
    Next m_next;
};

class Document
{
public:
    virtual ~Document() = default;

    // One range per story present: the main text, headers, footers, notes,
    // frames and text boxes, comments.
    virtual Enumerator<automation::Range> StoryRanges() = 0;
    // The drawing shapes of the document, groups included.
    virtual Enumerator<automation::Shape> Shapes() = 0;
    // The whole main text.
    virtual std::shared_ptr<automation::Range> Range() = 0;

    // The file formats SaveAs writes, as Word numbers them.
    enum FileFormat : int {
        FormatDocument = 0,     // Word 97-2003
        FormatXMLDocument = 12, // Word 2007 and later (.docx)
        FormatXMLTemplate = 14, // its template (.dotx)
        FormatOpenDocumentText = 23,
        // Word writes no OpenDocument template (.ott): a number of ours.
        FormatOpenDocumentTextTemplate = 1023,
    };
    // Writes the document in that format.
    virtual void SaveAs(const QString& path, FileFormat format = FormatDocument) = 0;
    // Writes a PDF with every font embedded: pages `from` to `to` (counted from 1),
    // or all of them when `from` is 0.
    virtual void ExportAsFixedFormat(const QString& path, int from = 0, int to = 0) = 0;
    // On, a PDF written of it links to a file relative to the PDF's own file, as
    // the other formats do, for a PDF written where it stays; off, as by default,
    // each such link is whole, for one written elsewhere first.
    virtual void SetLinksRelative(bool on) = 0;
    // Puts its pages on paper of this size (portrait, in points), as Word's page
    // setup does: margins as they are, the text flowing anew.
    virtual void SetPaperSize(QSizeF points) = 0;
    // As Word's ScreenUpdating, for this document: off, the office lays out its
    // pages only when a format asks for them (PDF, pictures, pages counted), not
    // whenever it has nothing else to do after a change.
    virtual void SetScreenUpdating(bool on) = 0;
    // Without an argument the document is closed as it is; 0 closes without saving.
    virtual void Close(std::optional<int> saveChanges = std::nullopt) = 0;

    // Forgets what could be taken back so far: the document as it is now is where
    // UndoAll() returns to.
    virtual void UndoClear() = 0;
    // Takes back every change since it was opened or last cleared; whether it is
    // now exactly as it was then. Text replaced in a drawing shape cannot be taken
    // back, and the office keeps only so many steps (100 unless set otherwise): a
    // document with such a change, or with as many steps as are kept, answers false.
    virtual bool UndoAll() = 0;
    // Every change from StartCustomRecord() until EndCustomRecord() is one step to
    // take back, however many replacements it holds.
    virtual void StartCustomRecord(const QString& name) = 0;
    virtual void EndCustomRecord() = 0;

    // Fills the report's data in one go, inside the office: each field its
    // placeholder, each list row once per item of its list with the item's fields,
    // and a table cell whose placeholder names a status and that says Green, Amber
    // or Red in the colour the document's status key gives it. What the data does
    // not give stays as it is: returns those placeholders ("[Name]"), each once,
    // also those in drawing shapes, which the fill leaves to the shapes' own pass.
    // The charts drawn from a list are set too, and the values they drew as gaps
    // returned. One step to take back (but for the charts' data, which is set anew
    // for every report). Throws Failure (a row that names two lists, among others).
    virtual FillOutcome FillData(const data::ReportData& data) = 0;

    static constexpr int kStatisticPages = 2;
    // A statistic of the document as it is laid out; kStatisticPages: its pages.
    virtual int ComputeStatistics(int statistic) = 0;
    // Prints pages `from` to `to` (counted from 1) on the device, a page a page, each
    // drawn from the document at the device's own resolution to fill its page.
    virtual void PrintOut(QPagedPaintDevice& device, int from, int to) = 0;
};

class Documents
{
public:
    virtual ~Documents() = default;
    // Opens hidden, without running macros or asking anything.
    virtual std::shared_ptr<Document> Open(const QString& path, bool readOnly = false) = 0;
};

// One engine session. Destroying it ends the session's office process if quit()
// has not, so no failure can leave a process behind.
class Application
{
public:
    virtual ~Application() = default;

    virtual automation::Documents& Documents() = 0;
    virtual void setDisplayAlerts(bool on) = 0;
    virtual std::shared_ptr<Document> ActiveDocument() = 0;
    virtual void quit() = 0;
};

// Makes sessions. The program uses the office engine; tests can put a
// fault-injecting engine in its place.
class Engine
{
public:
    virtual ~Engine() = default;
    // Starts a new hidden session; throws Failure when none can be started.
    virtual std::unique_ptr<Application> createApplication() = 0;
};

Engine& engine();

// Replaces the engine for tests; nullptr restores the office engine. Returns the
// replacement it replaces.
Engine* setEngine(Engine* replacement);
// The office engine itself, whatever engine() currently returns.
Engine& officeEngine();

} // namespace statusmill::automation
