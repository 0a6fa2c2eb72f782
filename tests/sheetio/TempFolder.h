#pragma once

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A private folder per test for the workbook files it writes.
class TempFolder {
public:
    TempFolder() { EXPECT_TRUE(m_dir.isValid()); }
    QString File(const QString& name) const { return m_dir.filePath(name); }
    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};
