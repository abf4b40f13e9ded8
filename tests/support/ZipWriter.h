#pragma once

#include <QByteArray>
#include <QList>

// Writes zip archives entry by entry, uncompressed, with any name and any Unix
// mode (device files and FIFOs included), so tests can build the archives a
// careful packer would never make: "../" names, absolute paths, links out of
// the folder, device entries.
class ZipWriter final {
public:
    // mode holds the file type bits too (S_IFREG | 0644, S_IFLNK | 0777, …);
    // a link's data is its target.
    void add(const QByteArray &name, const QByteArray &data, quint32 mode);
    QByteArray bytes() const;

private:
    struct Entry {
        QByteArray name;
        QByteArray data;
        quint32 mode;
    };
    QList<Entry> m_entries;
};
