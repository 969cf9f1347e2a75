#include "calibration/files/certificate_pdf.h"

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <array>

#include "calibration/texts.h"

namespace rm27 {

namespace {

constexpr int kDpi = 300;
constexpr double kMarginMm = 18;
const char* const kFamily = "DejaVu Sans";

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QFont Font(double points, bool bold = false) {
    QFont f(QString::fromLatin1(kFamily));
    f.setPointSizeF(points);
    f.setBold(bold);
    // Any letter spacing turns the shaper's ligatures off: "fi" set as one
    // glyph would come out of the PDF as U+FB01, and "Identifikátor" could
    // no longer be found in it. A tenth of a pixel at 300 dpi shows nowhere;
    // less than 1/64 would be rounded away to no spacing at all.
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.1);
    return f;
}

// Column widths of the point table, in parts of the text width.
constexpr std::array<double, 7> kColumns = {0.06, 0.17, 0.14, 0.19, 0.11, 0.22, 0.11};

class Page {
public:
    Page(QPdfWriter& writer, QPainter& painter) : writer_(writer), p_(painter) {}

    int width() const { return writer_.width(); }
    int y = 0;

    // Starts a new page when `height` more does not fit.
    void need(int height) {
        if (y + height <= writer_.height()) return;
        writer_.newPage();
        y = 0;
    }
    void line(const QString& text, const QFont& font, double after = 1.0) {
        p_.setFont(font);
        const QFontMetrics m(font, &writer_);
        need(m.height());
        p_.drawText(QRect(0, y, width(), m.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
        y += static_cast<int>(m.lineSpacing() * after);
    }
    void rule() {
        y += kDpi / 30;
        p_.drawLine(0, y, width(), y);
        y += kDpi / 15;
    }
    void field(const QString& label, const QString& value) {
        const QFont labelFont = Font(10, true);
        const QFont valueFont = Font(10);
        const QFontMetrics m(valueFont, &writer_);
        const int labelWidth = width() * 35 / 100;
        const QRect valueBox(labelWidth, y, width() - labelWidth, m.height() * 4);
        const QRect used =
            m.boundingRect(valueBox, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, value);
        need(used.height());
        p_.setFont(labelFont);
        p_.drawText(QRect(0, y, labelWidth, m.height()), Qt::AlignLeft | Qt::AlignTop, label);
        p_.setFont(valueFont);
        p_.drawText(QRect(labelWidth, y, width() - labelWidth, used.height()),
                    Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, value);
        y += used.height() + m.leading() + kDpi / 60;
    }
    // One table row; headings wrap inside their column.
    void row(const std::vector<std::string>& cells, bool heading) {
        const QFont font = Font(9, heading);
        const QFontMetrics m(font, &writer_);
        std::array<int, kColumns.size() + 1> x{};
        for (std::size_t k = 0; k < kColumns.size(); ++k)
            x[k + 1] = x[k] + static_cast<int>(width() * kColumns[k]);
        const int pad = kDpi / 50;
        int height = m.height();
        for (std::size_t k = 0; k < cells.size() && k < kColumns.size(); ++k) {
            const QRect box(x[k] + pad, 0, x[k + 1] - x[k] - 2 * pad, m.height() * 5);
            height = std::max(height, m.boundingRect(box, Qt::TextWordWrap, Q(cells[k])).height());
        }
        need(height + 2 * pad);
        p_.setFont(font);
        for (std::size_t k = 0; k < cells.size() && k < kColumns.size(); ++k) {
            const QRect box(x[k] + pad, y + pad, x[k + 1] - x[k] - 2 * pad, height);
            const Qt::Alignment align = heading ? (Qt::AlignHCenter | Qt::AlignBottom)
                                                : (Qt::AlignRight | Qt::AlignVCenter);
            p_.drawText(box, Qt::TextWordWrap | align, Q(cells[k]));
        }
        y += height + 2 * pad;
        if (heading) p_.drawLine(0, y, x.back(), y);
    }

private:
    QPdfWriter& writer_;
    QPainter& p_;
};

} // namespace

bool QtCertificatePrinter::writePdf(const CertificateData& c, const std::string& path,
                                    Text& reason) {
    QFile file(Q(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        reason = Text::Value(file.errorString().toStdString());
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                              QPageLayout::Millimeter);
        writer.setResolution(kDpi);
        writer.setTitle(Q(kCertificateTitle + " " + c.sensorId));
        writer.setCreator(Q(c.program));
        QPainter painter(&writer);
        if (!painter.isActive()) {
            reason = Text(texts::calibration::kPdfNotStarted);
            return false;
        }
        Page page(writer, painter);
        page.line(Q(kCertificateTitle), Font(20, true), 1.2);
        if (!c.description.empty()) page.line(Q(c.description), Font(13), 1.1);
        page.rule();
        for (const auto& [label, value] : CertificateFields(c))
            page.field(Q(label), Q(value));
        page.rule();
        page.line(QStringLiteral("Kalibrační křivka"), Font(12, true), 1.3);
        const LinearityTexts table = CertificateTable(c);
        // The sheet is a Czech document, whoever prints it.
        std::vector<std::string> headers;
        for (const Text& h : table.headers)
            headers.push_back(h.czech());
        page.row(headers, true);
        for (const auto& cells : table.rows)
            page.row(cells, false);
        page.y += kDpi / 10;
        if (!table.largestEndPoint.empty()) {
            page.line(Q(table.largestEndPoint.czech()), Font(10, true));
            page.line(Q(table.largestLeastSquares.czech()), Font(10));
        } else {
            page.line(QStringLiteral("Linearitu nelze určit: křivka nemá dva body s různým "
                                     "signálem."),
                      Font(10));
        }
        painter.end();
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        reason = Text::Value(file.errorString().toStdString());
        return false;
    }
    return true;
}

} // namespace rm27
