#pragma once
// A small file system mounted under /mnt for the test's lifetime (needs root and a
// confined run, where /mnt is the run's own; whyNotMounted() tells otherwise): a RAM file system, or a disk (an
// ext4 image on a loop device) where the test needs real storage.

#include <QString>

class ScratchMount {
public:
    enum class Kind { Ram, Disk };
    explicit ScratchMount(const QString &name, int sizeKB = 4096, Kind kind = Kind::Ram);
    ~ScratchMount();
    ScratchMount(const ScratchMount &) = delete;
    ScratchMount &operator=(const ScratchMount &) = delete;

    bool mounted() const { return m_mounted; }
    QString whyNotMounted() const;
    QString root() const { return m_root; }
    void unmount();
    bool remount();

private:
    QString m_root;
    QString m_image;
    int m_sizeKB;
    bool m_mounted = false;
};
