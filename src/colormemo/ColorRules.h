#pragma once
// The colouring rules of the source pane, free of widgets: what is coloured
// and in which colour, the hot-spot settings and the span records that the
// scanner fills. Colours are the platform's 32-bit values: red in the low
// byte, then green, then blue; the top bit marks a system colour.
#include <QChar>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

class TColorMemo;
class TDrawRules;

using TColor = quint32;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSystemColor = 0x80000000;
constexpr TColor clHighlight = 0x8000000D;
constexpr TColor clHighlightText = 0x8000000E;
constexpr TColor clWindow = 0x80000005;
constexpr TColor clWindowText = 0x80000008;

// Reads a colour written in a rule list: one of the sixteen HTML colour
// names, or a hexadecimal RRGGBB value with or without "#". Unreadable text
// gives white.
TColor ColorFromText(const QString &text);

enum TKeyDrawingType : quint8 {
    dtKeyShow,      // keywords of Keywords
    dtEventDraw,    // spans supplied by the pane's OnDraw handler
    dtBeginEnd,     // from a begin marker to the next end marker
    dtBeginLineEnd, // from a marker to the end of its line
};

// One coloured span. StartPos == KeyFree marks a free or invalid record.
constexpr qint32 KeyFree = 2147483647;
struct TKeyDescr
{
    qint32 StartPos = KeyFree;
    qint32 EndPos = KeyFree; // inclusive
    TColor Color = 0;
    quint8 Priority = 0;     // 252..255 are kept for hot spots, selection and tabs
    quint8 IsKey = 0;
};

// The span records of a pass. Records stay allocated from pass to pass:
// the list only grows.
class TKeyDescrList
{
public:
    explicit TKeyDescrList(int capacity = 0) { m_items.resize(capacity); }
    int Count() const { return int(m_items.size()); }
    TKeyDescr &operator[](int i) { return m_items[i]; }
    const TKeyDescr &operator[](int i) const { return m_items[i]; }
    // The record at index i, appended when the list is not that long yet.
    TKeyDescr &at(int i)
    {
        if (i >= Count())
            m_items.resize(std::max<size_t>(i + 1, m_items.size() * 2));
        return m_items[i];
    }
    void markAllFree()
    {
        for (TKeyDescr &k : m_items)
            k.StartPos = k.EndPos = KeyFree;
    }

private:
    std::vector<TKeyDescr> m_items;
};

// A begin/end marker pair of the rule's marker table.
struct TMarkerEntry
{
    QString begin;    // at most 6 characters; empty ends the table
    QString end;      // at most 6 characters; empty for line markers
    TColor color = 0;
    int lastPos = -1; // scanner scratch: last occurrence of begin
};

struct TCompiledKey
{
    QString key;        // upper-cased unless KeyCase
    int colorIndex = 0; // 1..41 into the colour index table
};

class TColorRule
{
public:
    static constexpr int MarkerCount = 40;
    static constexpr int MarkerLength = 6;
    static constexpr int KeyColorCount = 41;
    static constexpr int KeywordLength = 31;

    explicit TColorRule(TDrawRules *collection = nullptr);
    TColorRule(const TColorRule &) = delete;
    TColorRule &operator=(const TColorRule &) = delete;

    // Copies kind, flags, colours and the three lists (through their
    // setters); IntChar and KeySelColor stay as they are.
    void Assign(const TColorRule &source);

    quint8 ZOrder() const { return m_zOrder; }
    void SetZOrder(quint8 value) { m_zOrder = value; }
    QString IntChar() const { return m_intChar; }
    void SetIntChar(const QString &value) { m_intChar = value; }

    // The lists. The non-const accessors allow changing a list in place;
    // such changes are compiled by the next UpdateRules.
    const QStringList &Keywords() const { return m_keywords; }
    QStringList &Keywords() { return m_keywords; }
    void SetKeywords(const QStringList &lines);
    const QStringList &KeyBegEndLst() const { return m_keyBegEnd; }
    QStringList &KeyBegEndLst() { return m_keyBegEnd; }
    void SetKeyBegEndLst(const QStringList &lines);
    const QStringList &KeyLineEndLst() const { return m_keyLineEnd; }
    QStringList &KeyLineEndLst() { return m_keyLineEnd; }
    void SetKeyLineEndLst(const QStringList &lines);

    int KeyMaxHeight() const { return m_keyMaxHeight; }
    void SetKeyMaxHeight(int value) { m_keyMaxHeight = value; }
    TKeyDrawingType KeyDrawingType() const { return m_kind; }
    void SetKeyDrawingType(TKeyDrawingType value) { m_kind = value; }
    bool KeyCase() const { return m_keyCase; }
    void SetKeyCase(bool value) { m_keyCase = value; }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    bool PartWord() const { return m_partWord; }
    void SetPartWord(bool value) { m_partWord = value; }
    TColor DefKeyColor() const { return m_defKeyColor; }
    void SetDefKeyColor(TColor value) { m_defKeyColor = value; }
    TColor KeySelColor() const { return m_keySelColor; }
    void SetKeySelColor(TColor value) { m_keySelColor = value; }
    TColor KeyBrushColor() const { return m_keyBrushColor; }
    void SetKeyBrushColor(TColor value) { m_keyBrushColor = value; }

    // Recompiles from the rule's own lists; true when a list has lines.
    bool UpdateLists();

    TColorMemo *Memo() const { return m_memo; }

    // Compiled tables, read by the scanner.
    const std::array<TMarkerEntry, MarkerCount> &markers() const { return m_markers; }
    std::array<TMarkerEntry, MarkerCount> &markers() { return m_markers; }
    int markerCount() const; // entries before the first empty one
    const std::vector<TCompiledKey> &compiledKeys() const { return m_keys; }
    int keyColorCount() const { return m_keyColorCount; }
    // Colour of colour index n (1-based).
    TColor keyColor(int index) const { return m_keyColors[index - 1]; }
    // Scratch for the upper-cased copy of the scanned text; it only grows.
    QString &upperText() { return m_upperText; }

private:
    void compileBegEnd(const QStringList &lines);
    void compileLineEnd(const QStringList &lines);
    void compileKeywords(const QStringList &lines);
    void clearMarkers();

    TColorMemo *m_memo = nullptr;
    quint8 m_zOrder = 0;
    QString m_intChar;
    QStringList m_keywords;
    QStringList m_keyBegEnd;
    QStringList m_keyLineEnd;
    int m_keyMaxHeight = 1;
    TKeyDrawingType m_kind = dtBeginEnd;
    bool m_keyCase = false;
    bool m_enabled = true;
    bool m_partWord = false;
    TColor m_defKeyColor = clRed;
    TColor m_keySelColor = clYellow;
    TColor m_keyBrushColor = clWindow;

    std::array<TMarkerEntry, MarkerCount> m_markers;
    std::vector<TCompiledKey> m_keys;
    std::array<TColor, KeyColorCount> m_keyColors {};
    int m_keyColorCount = 0;
    QString m_upperText;

    // What the tables were last compiled from by UpdateLists.
    bool m_compiled = false;
    QStringList m_compiledBegEnd;
    QStringList m_compiledKeywords;
    QStringList m_compiledLineEnd;
    TKeyDrawingType m_compiledKind = dtBeginEnd;
    bool m_compiledCase = false;
    TColor m_compiledDefColor = 0;
};

// The rules of one pane, in order; later rules win over earlier ones of the
// same ZOrder.
class TDrawRules
{
public:
    explicit TDrawRules(TColorMemo *owner = nullptr) : m_owner(owner) {}
    TDrawRules(const TDrawRules &) = delete;
    TDrawRules &operator=(const TDrawRules &) = delete;

    TColorRule *Add();
    int Count() const { return int(m_items.size()); }
    TColorRule *Items(int index) const { return m_items[index].get(); }
    void Clear() { m_items.clear(); }
    // Replaces the rules by copies of source's.
    void Assign(const TDrawRules &source);

    // Run before each colour pass: recompiles every rule on every other
    // call, so lists changed in place are picked up within two passes.
    void UpdateRules();
    bool compileFlag() const { return m_compile; }

    TColorMemo *Owner() const { return m_owner; }

private:
    TColorMemo *m_owner;
    bool m_compile = true;
    std::vector<std::unique_ptr<TColorRule>> m_items;
};

// Settings of hot spots: text between BeginChar and EndChar, clickable.
struct THotSpot
{
    QChar BeginChar = QChar(char16_t(30)); // character 0 disables hot spots
    QChar EndChar = QChar(char16_t(31));
    TColor Color = clBlue;
    TColor MarkerColor = clWindow;
    bool Active = false;
    bool Underlined = true;

    void Assign(const THotSpot &source) { *this = source; }
};
