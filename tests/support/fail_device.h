// A device in front of another that passes bytes through until a budget is spent and then
// fails every read and write, like a disk that fills up or a medium that breaks mid-file.
// Guards the failure paths of the archive and the document's open and save flows.
#pragma once

#include <QIODevice>
#include <algorithm>

namespace testsupport {

class FailDevice : public QIODevice {
public:
    FailDevice(QIODevice* inner, qint64 budget) : m_inner(inner), m_budget(budget) {}

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_inner->size(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (m_budget <= 0) {
            setErrorString(QStringLiteral("Injected read failure"));
            return -1;
        }
        const qint64 got = m_inner->read(data, std::min(maxSize, m_budget));
        if (got > 0) {
            m_budget -= got;
        }
        return got;
    }
    qint64 writeData(const char* data, qint64 maxSize) override {
        if (m_budget <= 0) {
            setErrorString(QStringLiteral("Injected write failure"));
            return -1;
        }
        const qint64 put = m_inner->write(data, std::min(maxSize, m_budget));
        if (put > 0) {
            m_budget -= put;
        }
        return put;
    }

private:
    QIODevice* m_inner;
    qint64 m_budget;
};

}  // namespace testsupport
