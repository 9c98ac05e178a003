#include <Archivable.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace archive_test {

// A base that can stand in for the classes derived from it: it names itself in the archive
// after the most-derived class.
class TShape : public BArchivable {
public:
    explicit TShape(int32 sides) : fSides(sides) {}
    explicit TShape(BMessage* from) : BArchivable(from) { from->FindInt32("sides", &fSides); }

    status_t Archive(BMessage* into, bool deep = true) const override
    {
        status_t status = BArchivable::Archive(into, deep);
        if (status == B_OK)
            status = into->AddString("class", "archive_test::TShape");
        if (status == B_OK)
            status = into->AddInt32("sides", fSides);
        return status;
    }

    static BArchivable* Instantiate(BMessage* from)
    {
        return validate_instantiation(from, "archive_test::TShape") ? new TShape(from) : nullptr;
    }

    int32 fSides = 0;
};

class TSquare : public TShape {
public:
    TSquare() : TShape(4) {}
};

} // namespace archive_test

namespace {

using archive_test::TShape;
using archive_test::TSquare;

// The archive names the most-derived class first; with nothing registered for it, the first
// class named that is registered stands in.
TEST(ArchivableTest, InstantiateObjectUsesTheFirstRegisteredClassNamed)
{
    BMessage squareArchive;
    ASSERT_EQ(TSquare().Archive(&squareArchive), B_OK);
    EXPECT_TRUE(validate_instantiation(&squareArchive, "archive_test::TShape"));
    EXPECT_FALSE(validate_instantiation(&squareArchive, "TSquare"));
    EXPECT_FALSE(validate_instantiation(nullptr, "archive_test::TSquare"));

    BPrivate::register_instantiation_func("archive_test::TShape", TShape::Instantiate);
    EXPECT_EQ(find_instantiation_func("archive_test::TShape"), &TShape::Instantiate);
    std::unique_ptr<BArchivable> object(instantiate_object(&squareArchive));
    auto* shape = dynamic_cast<TShape*>(object.get());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->fSides, 4);

    // Once the square is known, it is made itself.
    BPrivate::register_instantiation_func("archive_test::TSquare",
                                          [](BMessage*) -> BArchivable* { return new TSquare; });
    object.reset(instantiate_object(&squareArchive));
    EXPECT_NE(dynamic_cast<TSquare*>(object.get()), nullptr);

    BPrivate::register_instantiation_func("archive_test::TSquare", nullptr);
    EXPECT_EQ(find_instantiation_func("archive_test::TSquare"), nullptr);
    BMessage unknown;
    unknown.AddString("class", "archive_test::TUnknown");
    EXPECT_EQ(instantiate_object(&unknown), nullptr);
    BMessage nameless;
    EXPECT_EQ(instantiate_object(&nameless), nullptr);
    EXPECT_EQ(instantiate_object(nullptr), nullptr);
}

TEST(ArchivableTest, ClassesRegisterFromManyThreadsAtOnce)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; t++) {
        threads.emplace_back([t] {
            for (int i = 0; i < 200; i++) {
                std::string name = "archive_test::T" + std::to_string(t) + "_" + std::to_string(i);
                BPrivate::register_instantiation_func(name.c_str(), TShape::Instantiate);
                find_instantiation_func("archive_test::T0_0");
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < 8; t++) {
        for (int i = 0; i < 200; i += 50) {
            std::string name = "archive_test::T" + std::to_string(t) + "_" + std::to_string(i);
            EXPECT_EQ(find_instantiation_func(name.c_str()), &TShape::Instantiate) << name;
        }
    }
}

} // namespace
