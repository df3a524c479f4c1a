#pragma once
// The simulated instrument for tests: starts quintara-instrument-sim on a
// pseudo-terminal, reads its device path and points QUINTARA_COM<n> at it, so
// that the program's port n talks to it. Ends it (and restores the variable)
// when destroyed.
//
//     SimInstrument sim;
//     ASSERT_TRUE(sim.Start({"--model", "6", "--replies", sim.WriteFile("r.txt", lines)}, 3));
//     ASSERT_TRUE(commOpen(3));
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

class SimInstrument {
public:
    SimInstrument();
    ~SimInstrument();
    SimInstrument(const SimInstrument&) = delete;
    SimInstrument& operator=(const SimInstrument&) = delete;

    // Starts the simulator with these arguments (a transcript of what it
    // receives is added) and, for a port number of 1 or more, sets QUINTARA_COM<port>
    // to PortPath(). False when it did not come up within a few seconds.
    bool Start(const QStringList& arguments, int port = 0);

    // Ends it: what the receiver sent before is still written to the
    // transcript. Called by the destructor; harmless twice.
    void Stop();

    // The pseudo-terminal the simulator opened.
    QString DevicePath() const { return m_device; }
    // What a port number given to Start names: a link to the device in this
    // instrument's own folder (the simulator's --link), unless the arguments
    // name a link of their own; else the device itself.
    QString PortPath() const { return m_portPath; }

    // A file in the simulator's private folder, for --replies and --curve.
    QString WriteFile(const QString& name, const std::string& bytes);

    // Every byte the simulator has received in this run. Call Stop() first to be
    // sure the last bytes sent are in it.
    std::string Transcript() const;

    // The folder of WriteFile and the transcript.
    QString Folder() const { return m_dir.path(); }

private:
    static QString Program();

    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_device;
    QString m_portPath;
    int m_port = 0;
    bool m_hadVariable = false;
    QByteArray m_savedVariable;
};
