// Two machines and a phone on one calendar in memory, driven by RapidCheck through random
// edits, deletions, notitas, the phone's changes, server faults, cuts between any two requests
// and calendars emptied or made again; after A, B, A every rule of SyncWorld::settle holds. A
// failing run is shrunk to its steps, printed as SyncWorld reads them: each one found is kept
// as a row of tst_syncrules' foundCases.
#include "SyncWorld.h"

#include <QFileInfo>
#include <QTest>

#include <rapidcheck.h>
#include <rapidcheck/state.h>

#include <algorithm>
#include <iostream>

namespace {

// What the steps so far leave that the next ones are drawn from.
struct Model
{
    int next = 1;             // the next word typed is "t<next>"
    std::vector<int> notitas; // the notitas made, by the word each was made with
    int remakes = 0;
};

using Step = rc::state::Command<Model, SyncWorld>;

// One step as SyncWorld plays it, with the word it types, if any.
struct Played : Step
{
    QString step;
    int word = 0;
    void apply(Model& model) const override { model.next = std::max(model.next, word + 1); }
    void run(const Model&, SyncWorld& world) const override { world.play(step); }
    void show(std::ostream& os) const override { os << step.toStdString(); }
};

QString actor()
{
    return *rc::gen::element(QStringLiteral("A"), QStringLiteral("B"));
}
int day()
{
    return *rc::gen::inRange(0, SyncWorld::kDays);
}
// Appended, mostly; or replacing what the text held.
QString how()
{
    return *rc::gen::element(QStringLiteral("+"), QStringLiteral("+"), QStringLiteral("="));
}

struct Type : Played
{
    explicit Type(const Model& m)
    {
        word = m.next;
        step = QStringLiteral("%1 type %2 t%3 %4").arg(actor()).arg(day()).arg(word).arg(how());
    }
};

struct EmptyDay : Played
{
    EmptyDay() { step = QStringLiteral("%1 empty %2").arg(actor()).arg(day()); }
};

struct Mark : Played
{
    Mark()
    {
        step = QStringLiteral("%1 mark %2 %3")
                   .arg(actor())
                   .arg(day())
                   .arg(*rc::gen::element(QStringLiteral("holiday"), QStringLiteral("colour"),
                                          QStringLiteral("alarm")));
    }
};

struct NewNotita : Played
{
    explicit NewNotita(const Model& m)
    {
        word = m.next;
        step = QStringLiteral("%1 notita new t%2").arg(actor()).arg(word);
    }
    void apply(Model& model) const override
    {
        Played::apply(model);
        model.notitas.push_back(word);
    }
};

// A step on a notita made before: left out when shrinking takes away the one that made it.
struct OnNotita : Played
{
    int name = 0;
    explicit OnNotita(const Model& m)
    {
        RC_PRE(!m.notitas.empty());
        name = *rc::gen::elementOf(m.notitas);
    }
    void checkPreconditions(const Model& m) const override
    {
        RC_PRE(std::find(m.notitas.begin(), m.notitas.end(), name) != m.notitas.end());
    }
};

struct EditNotita : OnNotita
{
    explicit EditNotita(const Model& m) : OnNotita(m)
    {
        word = m.next;
        step =
            QStringLiteral("%1 notita edit t%2 t%3 %4").arg(actor()).arg(name).arg(word).arg(how());
    }
};

struct DeleteNotita : OnNotita
{
    explicit DeleteNotita(const Model& m) : OnNotita(m)
    {
        step = QStringLiteral("%1 notita delete t%2").arg(actor()).arg(name);
    }
};

struct PhoneJournal : OnNotita
{
    explicit PhoneJournal(const Model& m) : OnNotita(m)
    {
        word = m.next;
        step = QStringLiteral("phone journal t%1 t%2 %3").arg(name).arg(word).arg(how());
    }
};

struct PhoneRename : Played
{
    explicit PhoneRename(const Model& m)
    {
        word = m.next;
        step = QStringLiteral("phone rename %1 t%2 %3").arg(day()).arg(word).arg(how());
    }
};

struct PhoneDelete : Played
{
    PhoneDelete() { step = QStringLiteral("phone delete %1").arg(day()); }
};

struct PhoneEvent : Played
{
    explicit PhoneEvent(const Model& m)
    {
        word = m.next;
        step = QStringLiteral("phone event %1 %2 t%3")
                   .arg(day())
                   .arg(*rc::gen::element(1, 1, 2))
                   .arg(word);
    }
};

struct Sync : Played
{
    Sync()
    {
        const QString fault = *rc::gen::element(QString(), QString(), QString(),
                                                QStringLiteral("failAt"), QStringLiteral("lostAt"),
                                                QStringLiteral("busyAt"), QStringLiteral("silent"),
                                                QStringLiteral("pages"), QStringLiteral("refused"));
        step = actor() + QStringLiteral(" sync");
        if (fault == QLatin1String("refused"))
            step += QStringLiteral(" refused 0");
        else if (fault == QLatin1String("silent") || fault == QLatin1String("pages"))
            step += QStringLiteral(" %1 %2").arg(fault).arg(*rc::gen::inRange(1, 3));
        else if (!fault.isEmpty())
            step += QStringLiteral(" %1 %2").arg(fault).arg(*rc::gen::inRange(1, 7));
        // The user's word on a calendar found emptied: mostly "send them again".
        if (*rc::gen::element(false, false, false, true))
            step += QStringLiteral(" empty");
    }
};

// The calendar emptied or made again, then each machine told so and answering: mostly "send
// them again". (A machine that fills it before the other was told is left out: the other
// then takes what it finds for edits; see tst_syncrules' foundCases.)
struct Remake : Played
{
    Remake()
    {
        const auto answer = [] {
            return *rc::gen::element(QStringLiteral("again"), QStringLiteral("again"),
                                     QStringLiteral("again"), QStringLiteral("empty"));
        };
        step = QStringLiteral("calendar %1 A %2 B %3")
                   .arg(*rc::gen::element(QStringLiteral("empty"), QStringLiteral("remake")),
                        answer(), answer());
    }
    void checkPreconditions(const Model& m) const override { RC_PRE(m.remakes < 2); }
    void apply(Model& model) const override { ++model.remakes; }
};

// RapidCheck's parameters: those of RC_PARAMS when it is set, else a fixed seed per row and a
// number of runs that keeps the test well within its time on a loaded machine.
rc::detail::TestParams paramsFor(std::uint64_t seed)
{
    rc::detail::TestParams params = rc::detail::configuration().testParams;
    if (qEnvironmentVariableIsEmpty("RC_PARAMS")) {
        params.seed = seed;
        params.maxSuccess = 60;
        params.maxSize = 60;
    }
    return params;
}

} // namespace

Q_DECLARE_METATYPE(SyncWorld::Options)

class TestSyncProperties : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The many stores of a run live in memory where the system offers it: on a loaded
        // disk, waiting for their writes would take most of the test's time.
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            qputenv("TMPDIR", "/dev/shm");
    }

    // After any run of steps, A, B, A bring both machines and the calendar together with
    // nothing typed lost, and a quiet sync writes nothing.
    void convergence_data()
    {
        QTest::addColumn<SyncWorld::Options>("options");
        QTest::addColumn<quint64>("seed");
        // The phone's renames of a day sent without a note are left out: what it types there
        // is not read yet (see tst_syncrules' foundCases).
        QTest::newRow("changes since a token")
            << SyncWorld::Options{true, true, false} << quint64(1);
        QTest::newRow("listed by ETags") << SyncWorld::Options{false, true, false} << quint64(2);
        QTest::newRow("answers without ETags")
            << SyncWorld::Options{true, false, false} << quint64(3);
    }
    void convergence()
    {
        QFETCH(SyncWorld::Options, options);
        QFETCH(quint64, seed);
        const rc::detail::TestParams params = paramsFor(seed);
        qInfo("RapidCheck: seed=%llu max_success=%d max_size=%d", qulonglong(params.seed),
              params.maxSuccess, params.maxSize);
        const auto property = [options] {
            SyncWorld world(options);
            rc::state::check(
                Model{}, world,
                rc::state::gen::execOneOfWithArgs<Type, Type, Type, EmptyDay, Mark, NewNotita,
                                                  EditNotita, DeleteNotita, PhoneRename,
                                                  PhoneDelete, PhoneEvent, PhoneJournal, Sync, Sync,
                                                  Sync, Sync, Remake>());
            world.settle();
        };
        rc::detail::TestMetadata metadata;
        metadata.id = QTest::currentDataTag();
        metadata.description = metadata.id;
        const rc::detail::TestResult result = rc::detail::checkTestable(property, metadata, params);
        rc::detail::printResultMessage(result, std::cerr);
        std::cerr << std::endl;
        QVERIFY(result.template is<rc::detail::SuccessResult>());
    }
};

QTEST_GUILESS_MAIN(TestSyncProperties)
#include "tst_syncproperties.moc"
