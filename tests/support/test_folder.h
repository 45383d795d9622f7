#pragma once

#include <QString>
#include <QTemporaryDir>

namespace cofrel::test {

// A throw-away program folder: AppDir with fundo.bmp and the help page,
// and dados/ holding fresh empty templates (users.db, fin.DB, dfin.DB).
// Points the login context's AppDir at it for its lifetime; on
// destruction clears the login context.
class TestFolder final {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder &) = delete;
    TestFolder &operator=(const TestFolder &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString appDir() const;  // ends with "/"
    QString dataDir() const; // appDir() + "dados/"
    QString dataFile(const QString &name) const { return dataDir() + name; }

    // Registers a user the way the new-user window does (row with the
    // scrambled password, copies of the templates) and returns its number.
    int addUser(const QString &name, const QString &password);
    // Fills the login context for user \a number and points the data
    // module's tables (when one exists) at that user's files.
    void loginAs(const QString &name, int number);

private:
    QTemporaryDir m_dir;
};

} // namespace cofrel::test
