#include "reports/ReportPreparer.h"

#include "reports/Expression.h"
#include "reports/TextLayout.h"
#include "reports/ValueFormat.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <deque>
#include <iterator>
#include <memory>

namespace vi23 {

namespace {

const QString kNoDataSet = QStringLiteral("[Нет]");

bool isAggregatingKind(BandKind k)
{
    return k == BandKind::PageFooter || k == BandKind::MasterFooter || k == BandKind::GroupFooter
        || k == BandKind::ReportSummary;
}

struct ObjectRef {
    bool memo = true;
    int index = 0;
    int offset = 0;     // y inside the band
};

// A total kept exact while every value is money (or empty), in double precision otherwise.
struct Accumulator {
    Money exact;
    bool exactSoFar = true;
    double value = 0;
    bool set = false;
    long long lastRow = -1;

    double total() const { return exactSoFar ? exact.toDouble() : value; }
};

struct BandInfo {
    const Band* band = nullptr;
    BandKind kind = BandKind::None;
    int top = 0;
    int height = 0;
    std::vector<ObjectRef> objects;
    BandInfo* masterHeader = nullptr;
    BandInfo* masterFooter = nullptr;
    bool headerTaken = false;   // as a master header or footer, already attached
    RowSource* source = nullptr;
    std::vector<Accumulator> accumulators;   // by the template's total slot
    int rowCount = 0;
};

struct FieldRef {
    RowSource* source = nullptr;
    QString field;
    int index = -1;     // the field's number in the source, found once
};

Value readField(const FieldRef& ref)
{
    if (!ref.source->isOpen())
        ref.source->open();
    return ref.index >= 0 ? ref.source->fieldValueAt(ref.index) : ref.source->fieldValue(ref.field);
}

// What a name or a bracket's content at one place of the template is, found out on its first use
// there rather than by its text on every row.
struct NameSite {
    int state = 0;   // 0 unknown, 1 a field, 2 anything else
    FieldRef ref;
    const ExprNode* expression = nullptr;   // when no field, once parsed
};

// A text line cut into literal stretches and bracket contents.
struct Segment {
    bool bracket = false;
    bool aggregate = false;   // the content calls an aggregate somewhere
    QString text;
    mutable NameSite site;
};
using ParsedLine = std::vector<Segment>;

Segment literal(const QString& text)
{
    Segment s;
    s.text = text;
    return s;
}

// Cuts a text line at its outermost brackets.
ParsedLine parseLine(const QString& text)
{
    static const QRegularExpression aggregateCall(QStringLiteral("\\b(sum|count|max|min|avg)\\s*\\("),
                                                  QRegularExpression::CaseInsensitiveOption);
    ParsedLine line;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(u'[', pos);
        const qsizetype close = open < 0 ? -1 : findClosingBracket(text, open);
        if (close < 0) {
            line.push_back(literal(text.mid(pos)));
            break;
        }
        if (open > pos)
            line.push_back(literal(text.mid(pos, open - pos)));
        Segment bracket;
        bracket.bracket = true;
        bracket.text = text.mid(open + 1, close - open - 2);
        bracket.aggregate = aggregateCall.match(bracket.text).hasMatch();
        line.push_back(std::move(bracket));
        pos = close;
    }
    return line;
}

struct Group {
    BandInfo* header = nullptr;
    BandInfo* footer = nullptr;
    QString value;
    std::vector<ParsedLine> condition;   // when the condition holds brackets
    NameSite site;                       // when it does not
};

struct RememberedSource {
    RowSource* source = nullptr;
    QString link;
    int position = -1;
};

class Preparer : public ExpressionContext {
public:
    Preparer(const Template& t, RowSourceResolver& rows, const GetValueCallback& getValue,
             const ProgressCallback& progress, const RunCallback& runs, const PageSink* sink = nullptr)
        : t_(t), rows_(rows), getValue_(getValue), progress_(progress), runs_(runs), sink_(sink),
          geometry_(pageGeometry(t.page()))
    {
    }

    ~Preparer() override { restoreSources(); }

    PreparedReport run();
    void handOut(PreparedPage& page);

    Value resolve(const ExprNode& name) override;
    Value aggregate(const ExprNode& call) override;

private:
    Value resolveAt(const QString& name, NameSite& site);
    // `expression` keeps the parsed name for the next call from the same place.
    Value resolveSpecialOrExpression(const QString& name, const ExprNode*& expression);
    void distribute();
    void link();
    void bindSources();
    void restoreSources();
    void runOnce();

    void newPage();
    void pageBreak();
    void outputBand(BandInfo& band);
    int placeObjects(BandInfo& band, int y);   // the height the band took
    // A box laid out in the memo's own font size though its text needs a taller row.
    struct TallBox {
        size_t box;
        int memo;
        QStringList lines;
    };
    PreparedBox lineBox(const LineObject& l, int y) const;
    PreparedBox memoBox(const BandInfo& band, const ObjectRef& ref, int y, QStringList& lines);
    void growRow(size_t first, int foot, int extra, const std::vector<TallBox>& tall);
    void accumulateRow();
    void clear(BandInfo* band);
    void dataLoop(BandInfo& data);
    // The outermost group that closes after the current row (groups_.size() for none); every group at
    // the last row, which sets `last`. The rows stay on the current row.
    size_t closingGroup(RowSource& rows, bool& last);
    // The footers of the groups from `from` inward, innermost first.
    void closeGroups(BandInfo& data, size_t from);
    void outputGroupHeader(size_t index);
    bool footerHolds(Group& g);
    bool rowShown(BandInfo& data);
    // An expression of a band's condition, true when not zero.
    bool holds(const QString& condition, BandInfo* band, BandKind kind);
    int printedHeight(const BandInfo* band) const;
    void breakUnlessFits(int height);
    void keepHeadersWithRow(size_t from, const BandInfo& data);
    void keepFootersWithRow(const BandInfo& data, size_t from, bool shown);
    QString groupValue(Group& g);

    const std::vector<ParsedLine>& parsedMemo(int index);
    QStringList expandLines(const std::vector<ParsedLine>& lines, const DisplayFormat& format, bool aggregatesOnly);
    // One template line with its brackets filled in and its line breaks made "\n".
    QString expandLine(const ParsedLine& line, const DisplayFormat& format);
    [[noreturn]] void failIn(const QStringList& lines, BandKind kind, const QString& reason) const;
    const ExprNode& parsed(const QString& content);
    std::optional<FieldRef> fieldRef(const QString& name);
    int totalSlot(const ExprNode& call);

    const Template& t_;
    RowSourceResolver& rows_;
    const GetValueCallback& getValue_;
    const ProgressCallback& progress_;
    const RunCallback& runs_;
    const PageSink* sink_;
    ContentExtent extent_;   // of the pages handed to the sink
    PageGeometry geometry_;

    std::vector<std::unique_ptr<BandInfo>> bands_;
    BandInfo noBand_;
    std::vector<BandInfo*> byKind_[kBandKindCount];    // each kind in design order
    std::vector<Group> groups_;
    std::vector<bool> footerShown_;   // per group, for the footers about to print
    BandInfo* pageFooter_ = nullptr;
    std::vector<RememberedSource> remembered_;

    std::vector<std::optional<std::vector<ParsedLine>>> memoCache_;
    QHash<QString, std::shared_ptr<ExprNode>> exprCache_;
    QHash<QString, std::optional<FieldRef>> fieldCache_;
    std::deque<NameSite> nodeSites_;   // of the names in expressions, by node memo
    // One slot per distinct total of the template ("SUM([ADOQuery11."d"])"), found once per call site.
    QHash<QString, int> slotOfTotal_;
    QStringList resolving_;

    PreparedReport report_;
    int bottomLimit_ = 0;
    int curY_ = 0;
    int pageStartY_ = 0;         // y below the page header of the current page
    size_t runFirstPage_ = 0;    // the index of the current run's first page
    BandInfo* repeatedHeader_ = nullptr;   // of the data loop going on, printed on each of its pages
    bool inPageHeader_ = false;
    int line_ = 0;
    BandInfo* currentBand_ = nullptr;
    bool accumulating_ = false;
    long long rowStamp_ = 0;
};

void Preparer::distribute()
{
    for (size_t i = 0; i < t_.bands.size(); ++i) {
        auto b = std::make_unique<BandInfo>();
        b->band = &t_.bands[i];
        b->kind = t_.bands[i].kind;
        b->top = t_.bands[i].top();
        b->height = t_.bands[i].height;
        bands_.push_back(std::move(b));
    }
    noBand_.kind = BandKind::None;
    // Lower kinds take first, so an overlap belongs to the band of the lower kind.
    std::vector<BandInfo*> order;
    for (auto& b : bands_)
        order.push_back(b.get());
    std::stable_sort(order.begin(), order.end(),
                     [](const BandInfo* a, const BandInfo* b) { return int(a->kind) < int(b->kind); });
    auto take = [&](bool memo, int index, int y) {
        for (BandInfo* b : order) {
            if (b->top <= y && y <= b->top + b->height) {
                b->objects.push_back(ObjectRef{memo, index, y - b->top});
                return;
            }
        }
        noBand_.objects.push_back(ObjectRef{memo, index, y});
    };
    for (size_t i = 0; i < t_.memos.size(); ++i)
        take(true, int(i), t_.memos[i].y);
    for (size_t i = 0; i < t_.lines.size(); ++i)
        take(false, int(i), t_.lines[i].y);
    memoCache_.resize(t_.memos.size());

    for (auto& b : bands_)
        byKind_[int(b->kind)].push_back(b.get());
    for (auto& chain : byKind_)
        std::stable_sort(chain.begin(), chain.end(), [](const BandInfo* a, const BandInfo* b) { return a->top < b->top; });
}

void Preparer::link()
{
    auto& data = byKind_[int(BandKind::MasterData)];
    for (BandInfo* h : byKind_[int(BandKind::MasterHeader)]) {
        for (BandInfo* d : data) {
            if (h->top + h->height < d->top && !d->masterHeader) {
                d->masterHeader = h;
                break;
            }
        }
    }
    for (BandInfo* f : byKind_[int(BandKind::MasterFooter)]) {
        BandInfo* last = nullptr;
        for (BandInfo* d : data) {
            if (d->top + d->height <= f->top)
                last = d;
        }
        if (last && !last->masterFooter)
            last->masterFooter = f;
    }
    // Headers nest top-down; footers pair in reverse, the topmost with the innermost header.
    const auto& headers = byKind_[int(BandKind::GroupHeader)];
    const auto& footers = byKind_[int(BandKind::GroupFooter)];
    for (BandInfo* h : headers)
        groups_.push_back(Group{h, nullptr, QString(), {}, {}});
    for (size_t i = 0; i < footers.size() && i < groups_.size(); ++i)
        groups_[groups_.size() - 1 - i].footer = footers[i];
    for (BandInfo* f : byKind_[int(BandKind::PageFooter)]) {
        if (!f->objects.empty()) {
            pageFooter_ = f;
            break;
        }
    }
    bottomLimit_ = geometry_.bottom - (pageFooter_ ? pageFooter_->height : 0);
}

void Preparer::bindSources()
{
    for (BandInfo* d : byKind_[int(BandKind::MasterData)]) {
        QString linkName = d->band->dataSet().trimmed();
        if (linkName.isEmpty() || linkName == kNoDataSet)
            linkName = t_.defaultDataSet;
        if (linkName.isEmpty())
            continue;
        RowSource* source = rows_.findByLink(linkName);
        if (!source) {
            const QString text = QStringLiteral("Не найден набор данных %1").arg(linkName);
            throw ReportError(text, text);
        }
        d->source = source;
        const bool known = std::any_of(remembered_.begin(), remembered_.end(),
                                       [&](const RememberedSource& r) { return r.source == source; });
        if (!known) {
            if (!source->isOpen())
                source->open();
            remembered_.push_back(RememberedSource{source, linkName, source->position()});
        }
    }
}

void Preparer::restoreSources()
{
    for (const RememberedSource& r : remembered_) {
        try {
            if (r.source->isOpen() && r.position >= 0)
                r.source->moveToPosition(r.position);
            if (rows_.linkClosesAfterReport(r.link))
                r.source->close();
        } catch (const std::exception&) {
            // Best effort on the way out; the first failure is the one the user sees.
        }
    }
    remembered_.clear();
}

PreparedReport Preparer::run()
{
    distribute();
    link();
    report_.templateName = t_.name;
    for (int n = 0; n == 0 || (runs_ && runs_(n)); ++n) {
        if (n == 0 && runs_)
            runs_(0);
        runOnce();
    }
    if (!sink_) {
        placeContentInsideMargins(report_);
        return std::move(report_);
    }
    handOut(report_.pages.back());
    const ContentPlacement placement = extent_.placement().value_or(ContentPlacement{});
    for (PreparedPage& page : report_.pages)
        page.content = placement;
    return std::move(report_);
}

// The template once over its rows, from a page of its own: its page numbers and every total start afresh.
void Preparer::runOnce()
{
    bindSources();
    for (auto& b : bands_)
        clear(b.get());
    newPage();
    runFirstPage_ = report_.pages.size() - 1;
    placeObjects(noBand_, 0);
    for (BandInfo* b : byKind_[int(BandKind::ReportTitle)])
        outputBand(*b);
    for (BandInfo* b : byKind_[int(BandKind::PageHeader)]) {
        if (b->band->flags & bandflag::OnFirstPage) {
            inPageHeader_ = true;
            outputBand(*b);
            inPageHeader_ = false;
        }
    }
    pageStartY_ = curY_;
    for (BandInfo* d : byKind_[int(BandKind::MasterData)])
        dataLoop(*d);
    for (BandInfo* b : byKind_[int(BandKind::ReportSummary)])
        outputBand(*b);
    if (pageFooter_ && (pageFooter_->band->flags & bandflag::OnLastPage))
        outputBand(*pageFooter_);
    restoreSources();
}

// A finished page leaves for the sink; only its size stays, for the page count.
void Preparer::handOut(PreparedPage& page)
{
    extent_.add(page);
    (*sink_)(page, int(report_.pages.size()));
    std::vector<PreparedBox>().swap(page.boxes);
}

void Preparer::newPage()
{
    PreparedPage page;
    page.width = geometry_.width;
    page.height = geometry_.height;
    page.paper = t_.page();
    if (!report_.pages.empty()) {
        page.boxes.reserve(report_.pages.back().boxes.size() + 8);
        if (sink_)
            handOut(report_.pages.back());
    }
    report_.pages.push_back(std::move(page));
    curY_ = geometry_.top;
    pageStartY_ = curY_;
    if (progress_ && !progress_(int(report_.pages.size())))
        throw ReportCancelled();
}

void Preparer::pageBreak()
{
    if (pageFooter_)
        outputBand(*pageFooter_);
    newPage();
    inPageHeader_ = true;
    for (BandInfo* b : byKind_[int(BandKind::PageHeader)])
        outputBand(*b);
    if (repeatedHeader_)
        outputBand(*repeatedHeader_);
    inPageHeader_ = false;
    pageStartY_ = curY_;
}

void Preparer::outputBand(BandInfo& band)
{
    if (band.objects.empty())
        return;
    if (band.kind == BandKind::PageFooter) {
        placeObjects(band, bottomLimit_);
        clear(&band);
        return;
    }
    // A band taller than a fresh page goes on it anyway rather than breaking forever.
    if (curY_ + band.height > bottomLimit_ && !inPageHeader_ && curY_ > pageStartY_)
        pageBreak();
    int y = curY_;
    const size_t first = report_.pages.back().boxes.size();
    const int height = placeObjects(band, y);
    if (height > band.height && y + height > bottomLimit_ && !inPageHeader_ && y > pageStartY_) {
        // The row grew past the page foot: it moves whole to the next page.
        std::vector<PreparedBox>& boxes = report_.pages.back().boxes;
        std::vector<PreparedBox> moved(std::make_move_iterator(boxes.begin() + qsizetype(first)),
                                       std::make_move_iterator(boxes.end()));
        boxes.erase(boxes.begin() + qsizetype(first), boxes.end());
        pageBreak();
        const int shift = curY_ - y;
        for (PreparedBox& b : moved) {
            b.y += shift;
            for (PreparedLine& l : b.lines)
                l.y += shift;
            report_.pages.back().boxes.push_back(std::move(b));
        }
        y = curY_;
    }
    curY_ = y + height;
    clear(&band);
}

int Preparer::placeObjects(BandInfo& band, int y)
{
    PreparedPage& page = report_.pages.back();
    currentBand_ = &band;
    // Data rows grow to show a long text whole: boxes that reach the row's foot grow with it.
    const bool grows = band.kind == BandKind::MasterData;
    const size_t first = page.boxes.size();
    int extra = 0;
    std::vector<TallBox> tall;
    for (const ObjectRef& ref : band.objects) {
        if (!ref.memo) {
            if (t_.lines[ref.index].visible)
                page.boxes.push_back(lineBox(t_.lines[ref.index], y + ref.offset));
            continue;
        }
        const MemoObject& m = t_.memos[ref.index];
        if (!m.visible)
            continue;
        QStringList lines;
        PreparedBox box = memoBox(band, ref, y, lines);
        if (grows && box.font.size != m.font.size && ref.offset + m.height >= band.height) {
            const int need = int(std::ceil(wrappedTextHeight(m.font, lines, (m.flags & memoflag::WordWrap) != 0, m.width)));
            extra = std::max(extra, need - m.height);
            tall.push_back(TallBox{page.boxes.size(), ref.index, lines});
        }
        page.boxes.push_back(std::move(box));
    }
    currentBand_ = nullptr;
    if (extra > 0)
        growRow(first, y + band.height, extra, tall);
    return band.height + std::max(extra, 0);
}

PreparedBox Preparer::lineBox(const LineObject& l, int y) const
{
    PreparedBox box;
    box.kind = PreparedBox::Kind::Line;
    box.x = l.x;
    box.y = y;
    box.width = l.width;
    box.height = l.height;
    box.frameWidth = l.frameWidthUnits();
    box.frameColor = l.frameColor;
    return box;
}

// The memo's box with its expanded text laid out; an expression's failure names the memo and the band.
PreparedBox Preparer::memoBox(const BandInfo& band, const ObjectRef& ref, int y, QStringList& lines)
{
    const MemoObject& m = t_.memos[ref.index];
    PreparedBox box;
    box.x = m.x;
    box.y = y + ref.offset;
    box.width = m.width;
    box.height = m.height;
    box.frameSides = m.frameSides;
    box.frameWidth = m.frameWidthUnits();
    box.frameColor = m.frameColor;
    box.fillColor = m.fillColor;
    box.font = m.font;
    box.alignment = m.alignment;
    try {
        lines = expandLines(parsedMemo(ref.index), m.format, false);
    } catch (const ReportError&) {
        throw;
    } catch (const UserError& e) {
        failIn(m.lines, band.kind, e.text());
    } catch (const std::exception& e) {
        failIn(m.lines, band.kind, QString::fromLocal8Bit(e.what()));
    }
    layoutText(box, lines, (m.flags & memoflag::WordWrap) != 0);
    return box;
}

// Boxes from `first` that reach the row's foot grow by `extra`; the tall ones are laid out again in their
// own font size, the others centred again in the taller row.
void Preparer::growRow(size_t first, int foot, int extra, const std::vector<TallBox>& tall)
{
    std::vector<PreparedBox>& boxes = report_.pages.back().boxes;
    for (size_t i = first; i < boxes.size(); ++i) {
        PreparedBox& b = boxes[i];
        if (b.kind == PreparedBox::Kind::Memo && b.y + b.height >= foot) {
            b.height += extra;
            layoutText(b, b.texts(), false);
        }
    }
    for (const TallBox& t : tall) {
        const MemoObject& m = t_.memos[t.memo];
        PreparedBox& b = boxes[t.box];
        b.font = m.font;
        layoutText(b, t.lines, (m.flags & memoflag::WordWrap) != 0);
    }
}

void Preparer::failIn(const QStringList& lines, BandKind kind, const QString& reason) const
{
    QStringList text{QStringLiteral("Возникла ошибка при обработке выражения")};
    text += lines;
    text.push_back(QStringLiteral("Документ: ") + t_.name);
    text.push_back(QStringLiteral("Секция: ") + bandKindName(kind));
    throw ReportError(text.join(u'\n'), reason);
}

void Preparer::accumulateRow()
{
    ++rowStamp_;
    accumulating_ = true;
    for (auto& b : bands_) {
        if (!isAggregatingKind(b->kind) || b->objects.empty())
            continue;
        currentBand_ = b.get();
        ++b->rowCount;
        for (const ObjectRef& ref : b->objects) {
            if (!ref.memo)
                continue;
            const MemoObject& m = t_.memos[ref.index];
            try {
                expandLines(parsedMemo(ref.index), m.format, true);
            } catch (const ReportError&) {
                throw;
            } catch (const UserError& e) {
                failIn(m.lines, b->kind, e.text());
            } catch (const std::exception& e) {
                failIn(m.lines, b->kind, QString::fromLocal8Bit(e.what()));
            }
        }
    }
    accumulating_ = false;
    currentBand_ = nullptr;
}

void Preparer::clear(BandInfo* band)
{
    if (!band)
        return;
    band->accumulators.assign(band->accumulators.size(), Accumulator());
    band->rowCount = 0;
}

void Preparer::dataLoop(BandInfo& data)
{
    RowSource* d = data.source;
    if (!d || data.objects.empty())
        return;
    d->first();
    line_ = 1;
    if (d->eof())
        return;
    keepHeadersWithRow(0, data);
    for (size_t i = 0; i < groups_.size(); ++i)
        outputGroupHeader(i);
    bool headerQueued = data.masterHeader != nullptr;
    const bool headerRepeats = headerQueued && data.masterHeader->band->repeatsOnEveryPage();
    clear(data.masterFooter);
    while (!d->eof()) {
        if (headerQueued) {
            outputBand(*data.masterHeader);
            headerQueued = false;
            if (headerRepeats)
                repeatedHeader_ = data.masterHeader;
        }
        const bool shown = rowShown(data);
        // Which groups close after this row, looked up once: their totals keep this row with them.
        bool last = false;
        const size_t closing = closingGroup(*d, last);
        const bool closes = last || closing < groups_.size();
        if (closes) {
            // A footer with a condition prints only when it holds on the group's last row.
            footerShown_.assign(groups_.size(), true);
            for (size_t j = closing; j < groups_.size(); ++j)
                footerShown_[j] = footerHolds(groups_[j]);
            keepFootersWithRow(data, closing, shown);
        }
        if (shown)
            outputBand(data);
        accumulateRow();
        d->next();
        if (!closes) {
            line_ += shown ? 1 : 0;
            continue;
        }
        closeGroups(data, closing);
        if (last)
            break;
        keepHeadersWithRow(closing, data);
        for (size_t j = closing; j < groups_.size(); ++j)
            outputGroupHeader(j);
        if (data.masterHeader && !headerRepeats)
            outputBand(*data.masterHeader);
        line_ = 1;
    }
    repeatedHeader_ = nullptr;
    if (data.masterFooter)
        outputBand(*data.masterFooter);
}

size_t Preparer::closingGroup(RowSource& rows, bool& last)
{
    const int position = rows.position();
    rows.next();
    last = rows.eof();
    size_t closing = last ? 0 : groups_.size();
    for (size_t i = 0; i < groups_.size() && !last; ++i) {
        if (groupValue(groups_[i]) != groups_[i].value) {
            closing = i;
            break;
        }
    }
    rows.moveToPosition(position);
    return closing;
}

void Preparer::closeGroups(BandInfo& data, size_t from)
{
    if (data.masterFooter && !groups_.empty())
        outputBand(*data.masterFooter);
    for (size_t j = groups_.size(); j-- > from;) {
        if (groups_[j].footer && footerShown_[j])
            outputBand(*groups_[j].footer);
        else
            clear(groups_[j].footer);
    }
}

bool Preparer::footerHolds(Group& g)
{
    return !g.footer || holds(g.footer->band->condition(), g.footer, BandKind::GroupFooter);
}

bool Preparer::rowShown(BandInfo& data)
{
    return holds(data.band->rowCondition(), &data, BandKind::MasterData);
}

bool Preparer::holds(const QString& condition, BandInfo* band, BandKind kind)
{
    if (condition.trimmed().isEmpty())
        return true;
    currentBand_ = band;
    try {
        const bool result = arithmeticOperand(evaluate(parsed(condition), *this)) != 0;
        currentBand_ = nullptr;
        return result;
    } catch (const ReportError&) {
        throw;
    } catch (const UserError& e) {
        failIn(QStringList{condition}, kind, e.text());
    }
}

int Preparer::printedHeight(const BandInfo* band) const
{
    return band && !band->objects.empty() ? band->height : 0;
}

void Preparer::breakUnlessFits(int height)
{
    if (curY_ + height > bottomLimit_ && curY_ > pageStartY_ && !inPageHeader_)
        pageBreak();
}

void Preparer::keepHeadersWithRow(size_t from, const BandInfo& data)
{
    // A group heading never stays alone at a page foot: its first row goes with it.
    int height = printedHeight(data.masterHeader) + printedHeight(&data);
    for (size_t j = from; j < groups_.size(); ++j)
        height += printedHeight(groups_[j].header);
    if (height > printedHeight(&data) + printedHeight(data.masterHeader))
        breakUnlessFits(height);
}

void Preparer::keepFootersWithRow(const BandInfo& data, size_t from, bool shown)
{
    // A group total never starts a page alone: the group's last row goes with it, when it prints.
    const int row = shown ? printedHeight(&data) : 0;
    int height = row + printedHeight(data.masterFooter);
    for (size_t j = from; j < groups_.size(); ++j)
        height += footerShown_[j] ? printedHeight(groups_[j].footer) : 0;
    if (height > row)
        breakUnlessFits(height);
}

void Preparer::outputGroupHeader(size_t index)
{
    Group& g = groups_[index];
    g.value = groupValue(g);
    for (size_t j = index; j < groups_.size(); ++j)
        clear(groups_[j].footer);
    outputBand(*g.header);
}

QString Preparer::groupValue(Group& g)
{
    const QString& condition = g.header->band->condition();
    currentBand_ = g.header;
    try {
        QString value;
        if (condition.contains(u'[')) {
            if (g.condition.empty())
                g.condition.push_back(parseLine(condition));
            value = expandLine(g.condition.front(), DisplayFormat{});
        } else {
            value = valueText(resolveAt(condition.trimmed(), g.site));
        }
        currentBand_ = nullptr;
        return value;
    } catch (const ReportError&) {
        throw;
    } catch (const UserError& e) {
        failIn(QStringList{condition}, BandKind::GroupHeader, e.text());
    }
}

const std::vector<ParsedLine>& Preparer::parsedMemo(int index)
{
    auto& slot = memoCache_[index];
    if (!slot) {
        std::vector<ParsedLine> lines;
        for (const QString& text : t_.memos[index].lines)
            lines.push_back(parseLine(text));
        slot = std::move(lines);
    }
    return *slot;
}

QStringList Preparer::expandLines(const std::vector<ParsedLine>& lines, const DisplayFormat& format,
                                  bool aggregatesOnly)
{
    QStringList out;
    for (const ParsedLine& line : lines) {
        if (aggregatesOnly) {
            for (const Segment& s : line) {
                if (s.bracket && s.aggregate)
                    resolveAt(s.text, s.site);
            }
            continue;
        }
        // A line of plain text is the template's own string, shared, not built again for every row.
        if (line.size() == 1 && !line.front().bracket && !line.front().text.contains(u'\n')
            && !line.front().text.contains(u'\r')) {
            out.push_back(line.front().text);
            continue;
        }
        const QString text = expandLine(line, format);
        if (text.contains(u'\n'))
            out += text.split(u'\n');
        else
            out.push_back(text);
    }
    return out;
}

QString Preparer::expandLine(const ParsedLine& line, const DisplayFormat& format)
{
    QString text;
    for (const Segment& s : line)
        text += s.bracket ? formatValue(resolveAt(s.text, s.site), format) : s.text;
    if (text.contains(u'\r')) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
    }
    return text;
}

std::optional<FieldRef> Preparer::fieldRef(const QString& name)
{
    auto it = fieldCache_.find(name);
    if (it != fieldCache_.end())
        return *it;
    static const QRegularExpression re(
        QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\.(?:\"([^\"]*)\"|([A-Za-z0-9_\\x{0400}-\\x{04FF}]+))\\s*$"));
    std::optional<FieldRef> ref;
    const auto m = re.match(name);
    if (m.hasMatch()) {
        RowSource* source = rows_.findByName(m.captured(1));
        if (!source)
            throw UserError(QStringLiteral("Неизвестное имя «%1»").arg(name));
        const QString field = m.captured(2).isNull() ? m.captured(3) : m.captured(2);
        ref = FieldRef{source, field, source->fieldIndex(field)};
    }
    fieldCache_.insert(name, ref);
    return ref;
}

const ExprNode& Preparer::parsed(const QString& content)
{
    auto it = exprCache_.find(content);
    if (it == exprCache_.end())
        it = exprCache_.insert(content, std::shared_ptr<ExprNode>(parseExpression(content)));
    return **it;
}

Value Preparer::resolveAt(const QString& name, NameSite& site)
{
    if (getValue_) {
        if (auto v = getValue_(name))
            return *v;
    }
    if (site.state == 0) {
        const auto ref = fieldRef(name);
        site.state = ref ? 1 : 2;
        if (ref)
            site.ref = *ref;
    }
    if (site.state == 1)
        return readField(site.ref);
    return resolveSpecialOrExpression(name, site.expression);
}

Value Preparer::resolve(const ExprNode& name)
{
    if (name.memo == 0) {
        nodeSites_.emplace_back();
        name.memo = int(nodeSites_.size());
    }
    return resolveAt(name.text, nodeSites_[size_t(name.memo - 1)]);
}

Value Preparer::resolveSpecialOrExpression(const QString& name, const ExprNode*& expression)
{
    if (name == QLatin1StringView("PAGE#"))
        return Value(int(report_.pages.size() - runFirstPage_));
    if (name == QLatin1StringView("LINE#"))
        return Value(line_);
    if (resolving_.contains(name))
        throw UserError(QStringLiteral("Неизвестное имя «%1»").arg(name));
    resolving_.push_back(name);
    struct Pop {
        QStringList& list;
        ~Pop() { list.pop_back(); }
    } pop{resolving_};
    if (!expression)
        expression = &parsed(name);
    return evaluate(*expression, *this);
}

int Preparer::totalSlot(const ExprNode& call)
{
    if (call.memo > 0)
        return call.memo - 1;
    const QString key = call.text + u'(' + call.argText + u')';
    int slot = slotOfTotal_.value(key, -1);
    if (slot < 0) {
        slot = int(slotOfTotal_.size());
        slotOfTotal_.insert(key, slot);
    }
    call.memo = slot + 1;
    return slot;
}

Value Preparer::aggregate(const ExprNode& call)
{
    const QString& function = call.text;
    const ExprNode& arg = *call.children[0];
    BandInfo* band = currentBand_;
    if (!band || !isAggregatingKind(band->kind))
        return Value(0.0);
    const size_t slot = size_t(totalSlot(call));
    if (accumulating_) {
        if (band->accumulators.size() <= slot)
            band->accumulators.resize(slot + 1);
        Accumulator& a = band->accumulators[slot];
        if (a.lastRow != rowStamp_) {
            a.lastRow = rowStamp_;
            const bool isMax = function == QLatin1StringView("MAX"), isMin = function == QLatin1StringView("MIN");
            Value x = function == QLatin1StringView("COUNT") ? Value(Money::fromRoubles(1)) : evaluate(arg, *this);
            if (x.isNull())
                x = Value(Money());
            std::int64_t units = 0;
            if (a.exactSoFar && x.kind() == Value::Kind::Money) {
                const Money m = x.money();
                if (!a.set) {
                    a.exact = m;
                } else if (isMax) {
                    a.exact = std::max(a.exact, m);
                } else if (isMin) {
                    a.exact = std::min(a.exact, m);
                } else if (__builtin_add_overflow(a.exact.units(), m.units(), &units)) {
                    // Past the money range the total goes on in double precision.
                    a.exactSoFar = false;
                    a.value = roundTo15Digits(a.exact.toDouble() + m.toDouble());
                } else {
                    a.exact = Money::fromUnits(units);
                }
                a.set = true;
            } else {
                const double v = arithmeticOperand(x);
                if (a.exactSoFar) {
                    a.value = a.set ? a.exact.toDouble() : isMax ? -1e200 : isMin ? 1e200 : 0.0;
                    a.exactSoFar = false;
                    a.set = true;
                }
                if (isMax)
                    a.value = std::max(a.value, v);
                else if (isMin)
                    a.value = std::min(a.value, v);
                else
                    a.value += v;
                a.value = roundTo15Digits(a.value);
            }
        }
        return Value(a.total());
    }
    if (slot >= band->accumulators.size() || !band->accumulators[slot].set)
        return Value(QString());
    const Accumulator& a = band->accumulators[slot];
    if (function == QLatin1StringView("AVG"))
        return Value(band->rowCount > 0 ? a.total() / band->rowCount : 0.0);
    return Value(a.total());
}

} // namespace

PreparedReport prepareReport(const Template& report, RowSourceResolver& rows, const GetValueCallback& getValue,
                             const ProgressCallback& progress, const RunCallback& runs)
{
    Preparer preparer(report, rows, getValue, progress, runs);
    return preparer.run();
}

PreparedReport prepareReportPageByPage(const Template& report, RowSourceResolver& rows, const PageSink& sink,
                                       const GetValueCallback& getValue, const ProgressCallback& progress,
                                       const RunCallback& runs)
{
    Preparer preparer(report, rows, getValue, progress, runs, &sink);
    return preparer.run();
}

} // namespace vi23
