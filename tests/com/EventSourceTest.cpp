#include "platform/com/EventSource.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class Sink {
public:
    virtual ~Sink() = default;
    virtual void Progress(int& value, bool& cancel) = 0;
};

class Recorder : public Sink {
public:
    Recorder(std::string name, std::vector<std::string>& log, std::function<void(int&, bool&)> act = {})
        : name_(std::move(name)), log_(log), act_(std::move(act))
    {
    }
    void Progress(int& value, bool& cancel) override
    {
        log_.push_back(name_ + ":" + std::to_string(value) + (cancel ? ":cancel" : ""));
        if (act_)
            act_(value, cancel);
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
    std::function<void(int&, bool&)> act_;
};

void Raise(com::EventSource<Sink>& source, int& value, bool& cancel)
{
    source.Raise([&](Sink& sink) { sink.Progress(value, cancel); });
}

TEST(EventSource, EverySinkHearsEachEventInOrderAndByReferenceValuesComeBack)
{
    com::EventSource<Sink> source;
    std::vector<std::string> log;
    source.Advise(std::make_shared<Recorder>("a", log, [](int& v, bool&) { v += 10; }));
    source.Advise(std::make_shared<Recorder>("b", log, [](int&, bool& c) { c = true; }));
    source.Advise(std::make_shared<Recorder>("c", log));
    int value = 1;
    bool cancel = false;
    Raise(source, value, cancel);
    EXPECT_EQ(log, (std::vector<std::string>{"a:1", "b:11", "c:11:cancel"}));
    EXPECT_EQ(value, 11);
    EXPECT_TRUE(cancel);
}

TEST(EventSource, DetachedSinksHearNothingAndUnknownCookiesAreRefused)
{
    com::EventSource<Sink> source;
    std::vector<std::string> log;
    auto first = source.Advise(std::make_shared<Recorder>("a", log));
    auto second = source.Advise(std::make_shared<Recorder>("b", log));
    EXPECT_NE(first, second);
    EXPECT_EQ(source.Advise(nullptr), 0u);
    EXPECT_TRUE(source.Unadvise(first));
    EXPECT_FALSE(source.Unadvise(first));
    EXPECT_FALSE(source.Unadvise(9999));
    int value = 0;
    bool cancel = false;
    Raise(source, value, cancel);
    EXPECT_EQ(log, (std::vector<std::string>{"b:0"}));
    EXPECT_EQ(source.SinkCount(), 1u);
}

TEST(EventSource, ASinkMayDetachEveryoneWhileAnEventIsDelivered)
{
    com::EventSource<Sink> source;
    std::vector<std::string> log;
    com::EventSource<Sink>::Cookie a = 0, b = 0;
    a = source.Advise(std::make_shared<Recorder>("a", log, [&](int&, bool&) {
        source.Unadvise(a);
        source.Unadvise(b);
    }));
    b = source.Advise(std::make_shared<Recorder>("b", log));
    int value = 0;
    bool cancel = false;
    Raise(source, value, cancel); // the round started with both
    Raise(source, value, cancel); // and the next one has none
    EXPECT_EQ(log, (std::vector<std::string>{"a:0", "b:0"}));
}

} // namespace
