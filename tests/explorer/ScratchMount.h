#pragma once
// A small RAM file system mounted under /mnt for the test's lifetime (needs root;
// mounted() is false where the system refuses).

#include <QString>

class ScratchMount {
public:
    explicit ScratchMount(const QString &name, int sizeKB = 4096);
    ~ScratchMount();
    ScratchMount(const ScratchMount &) = delete;
    ScratchMount &operator=(const ScratchMount &) = delete;

    bool mounted() const { return m_mounted; }
    QString root() const { return m_root; }
    void unmount();
    bool remount();

private:
    QString m_root;
    int m_sizeKB;
    bool m_mounted = false;
};
