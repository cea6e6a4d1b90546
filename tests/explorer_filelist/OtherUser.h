#pragma once
// Root reads every folder whatever its permissions. While this guard lives, a test
// running as root acts with the rights of an ordinary user, so permission checks apply.

#include <sys/types.h>
#include <unistd.h>

class ActAsOrdinaryUser {
public:
    ActAsOrdinaryUser()
        : m_switched(::geteuid() == 0 && ::seteuid(65534) == 0)
    {
    }
    ~ActAsOrdinaryUser()
    {
        if (m_switched)
            (void)!::seteuid(0);
    }
    ActAsOrdinaryUser(const ActAsOrdinaryUser &) = delete;
    ActAsOrdinaryUser &operator=(const ActAsOrdinaryUser &) = delete;

private:
    bool m_switched;
};
