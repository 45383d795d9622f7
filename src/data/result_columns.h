#pragma once

#include "data/layouts.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

namespace cofrel::data {

class Statement;

// The rows of a result held compactly, column by column: numbers and dates
// (as day numbers) in plain vectors, texts in one UTF-8 arena. The buffers
// outlive a result, so a large result read again (a period picked again)
// reuses their memory instead of asking the system for it anew.
class ResultColumns final {
public:
    ResultColumns();
    ~ResultColumns();
    ResultColumns(const ResultColumns &) = delete;
    ResultColumns &operator=(const ResultColumns &) = delete;

    // Empties the rows and takes the columns of \a statement; a column the
    // table's \a layout knows has its kind, any other the kind of its values.
    void setUp(const Statement &statement, const TableLayout *layout);
    void clear(); // no columns, no rows; the buffers are kept
    void dropRows(); // the same columns, no rows
    void append(const Statement &row);
    // The result is complete: buffers much larger than it give memory back.
    void fitToSize();

    int rows() const { return m_rows; }
    int count() const;
    QString name(int column) const;
    ColumnKind kind(int column) const;
    int indexOf(const QString &name) const; // case-insensitive; -1 when none
    QVariant value(int row, int column) const;
    std::optional<QByteArrayView> textAt(int row, int column) const;
    std::optional<double> realAt(int row, int column) const;
    std::optional<QDate> dateAt(int row, int column) const;

private:
    struct Column;
    const Column *ofKind(int row, int column, ColumnKind kind) const;
    std::vector<Column> m_columns;
    std::vector<Column> m_spare; // emptied, kept for their buffers
    int m_rows = 0;
};

} // namespace cofrel::data
