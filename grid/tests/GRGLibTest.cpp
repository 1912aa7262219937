#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "grid/GRGLib.h"
#include "platform/core/Component.h"
#include "platform/core/Currency.h"
#include "platform/core/Program.h"
#include "platform/core/Streams.h"

namespace {

class TProbe : public TComponent {
public:
    using TComponent::TComponent;
    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& c) { caption_ = c; }
    Int64 Width() const { return width_; }
    void SetWidth(Int64 w) { width_ = w; }
    double Ratio() const { return ratio_; }
    void SetRatio(double r) { ratio_ = r; }
    Int64 Version() const { return 3; }
    TNotifyEvent OnClick;

private:
    std::string caption_;
    Int64 width_ = 0;
    double ratio_ = 0;
};

const bool g_probePublished = [] {
    TPublished<TProbe, TComponent>()
        .String("Caption", &TProbe::Caption, &TProbe::SetCaption)
        .Integer("Width", &TProbe::Width, &TProbe::SetWidth)
        .Float("Ratio", &TProbe::Ratio, &TProbe::SetRatio)
        .Integer("Version", &TProbe::Version);
    return true;
}();

}  // namespace

TEST(GridVariants, CompareVariantsRanksEmptyAndNullFirst) {
    struct Case {
        Variant a, b;
        int expected;
    } cases[] = {
        {Variant(), Variant(), 0},
        {Variant(), Variant(5), -1},
        {Variant(5), Variant(), 1},
        {Variant::NullValue(), Variant("x"), -1},
        {Variant("x"), Variant::NullValue(), 1},
        {Variant::NullValue(), Variant::NullValue(), 0},
        {Variant(), Variant::NullValue(), -1},
        {Variant("a"), Variant("b"), -1},
        {Variant(2.5), Variant(2), 1},
        {Variant(7), Variant(7.0), 0},
        {VarArrayOf({Variant(1), Variant("b")}), VarArrayOf({Variant(1), Variant("c")}), -1},
        {VarArrayOf({Variant(1)}), VarArrayOf({Variant(1), Variant(0)}), -1},
    };
    for (const auto& c : cases) EXPECT_EQ(CompareVariants(c.a, c.b), c.expected) << VarToStr(c.a) << " ? " << VarToStr(c.b);
}

TEST(GridVariants, EqualityAndNumericMatching) {
    EXPECT_FALSE(VariantsEqual(Variant(1), Variant(1.0)));
    EXPECT_TRUE(VariantsMatch(Variant(1), Variant(1.0)));
    EXPECT_FALSE(VariantsMatch(Variant(1), Variant("1")));
    EXPECT_TRUE(VariantsEqual(Variant::NullValue(), Variant::NullValue()));
    EXPECT_FALSE(VariantsEqual(Variant(), Variant("")));
    EXPECT_TRUE(VariantsEqual(Variant(), Variant()));
    EXPECT_TRUE(VariantsEqual(Variant("abc"), Variant("abc")));
    EXPECT_TRUE(IsNumericVariant(Variant(Currency::FromRaw(5))));
    EXPECT_FALSE(IsNumericVariant(Variant(true)));

    int object = 0;
    EXPECT_EQ(VariantToObject(ObjectToVariant(&object)), &object);
    EXPECT_EQ(VariantToObject(Variant("x")), nullptr);

    RegisterResourceString(4711, "Grid index out of range");
    EXPECT_EQ(VariantToText(Variant(4711)), "Grid index out of range");
    EXPECT_EQ(VariantToText(Variant(4712)), "");
    EXPECT_EQ(VariantToText(Variant(2.5)), "2.5");
    EXPECT_EQ(VariantToText(Variant::NullValue()), "");
}

TEST(GridVariants, FormFileValuesRoundTripByTheirWrittenKind) {
    struct Case {
        Variant written;
        TVarType readType;
        std::string readText;
    } cases[] = {
        {Variant(), varEmpty, ""},
        {Variant::NullValue(), varNull, ""},
        {Variant(SmallInt(-3)), varInteger, "-3"},
        {Variant(100000), varInteger, "100000"},
        {Variant(2.25), varDouble, "2.25"},
        {Variant::FromDate(36526.5), varDouble, "36526.5"},  // a date reads back as a double
        {Variant("text"), varString, "text"},
        {Variant(true), varBoolean, "True"},
        {Variant(Currency::FromRaw(12345)), varString, ""},  // currency is not kept
    };
    TStringStream s;
    TWriter w(s);
    for (const auto& c : cases) WriteVariantValue(w, c.written);
    s.SetPosition(0);
    TReader r(s);
    for (const auto& c : cases) {
        Variant v(99);
        ReadVariantValue(r, v);
        EXPECT_EQ(v.Type(), c.readType) << c.readText;
        EXPECT_EQ(VarToStr(v), c.readText);
    }
}

TEST(GridVariants, UnknownValueTypesStayUnread) {
    TStringStream s;
    TWriter w(s);
    w.WriteBinary({1, 2});
    w.WriteIdent("Other");
    s.SetPosition(0);
    TReader r(s);
    Variant v(5);
    ReadVariantValue(r, v);
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(s.Position(), 0);
    r.SkipValue();
    ReadVariantValue(r, v);  // an unknown identifier gives Empty
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(s.Position(), s.Size());
}

TEST(GridProperties, CopyPublishedPropertiesHonoursExclusions) {
    TProbe source(nullptr), dest(nullptr);
    source.SetName("Source");
    source.SetTag(9);
    source.SetCaption("Scores");
    source.SetWidth(120);
    source.SetRatio(0.5);
    int clicks = 0;
    source.OnClick = [&](TObject*) { ++clicks; };
    dest.SetName("Dest");

    CopyPublishedProperties(dest, source, "  Name ; ;Tag  ");
    EXPECT_EQ(dest.Name(), "Dest");
    EXPECT_EQ(dest.Tag(), 0);
    EXPECT_EQ(dest.Caption(), "Scores");
    EXPECT_EQ(dest.Width(), 120);
    EXPECT_EQ(dest.Ratio(), 0.5);
    EXPECT_FALSE(dest.OnClick);

    TProbe other(nullptr);
    CopyPublishedProperty("tag", other, source);
    EXPECT_EQ(other.Tag(), 9);
    CopyPublishedProperty("NoSuchProperty", other, source);

    std::vector<std::string> names;
    for (const TPropInfo* p : PropertyList(source, TypeKindBit(pkString) | TypeKindBit(pkInteger)))
        names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Caption", "Name", "Tag", "Version", "Width"}));
}

TEST(GridProperties, SemicolonListsAndNameLookup) {
    EXPECT_EQ(SplitSemicolonList(" a; ;b ;c"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(SplitSemicolonList(" ; ").empty());
    std::vector<std::string> list{"Width", "Ta", "Tag"};
    EXPECT_TRUE(NameInList("tag", list));
    EXPECT_FALSE(NameInList("T", list));
    EXPECT_FALSE(NameInList("Tags", list));
    EXPECT_EQ(list.front(), "Ta");  // sorted on first use
}

TEST(GridRegistryPaths, ParseSplitsRootAndSubKey) {
    struct Case {
        std::string path;
        bool ok;
        HKEY root;
        std::string rootName, subKey;
    } cases[] = {
        {"Software\\Grid", true, 0, "", "Software\\Grid"},
        {"\\", true, 0, "", "\\"},
        {"\\\\hkey_local_machine\\Software\\X", true, HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "\\Software\\X"},
        {"\\\\HKEY_USERS", true, HKEY_USERS, "HKEY_USERS", ""},
        {"\\\\HKEY_NOWHERE\\A", false, 0, "HKEY_NOWHERE", "\\A"},
    };
    for (const auto& c : cases) {
        HKEY root = 1;
        std::string rootName = "?", subKey = "?";
        EXPECT_EQ(ParseRegistryPath(c.path, root, rootName, subKey), c.ok) << c.path;
        EXPECT_EQ(root, c.root) << c.path;
        EXPECT_EQ(rootName, c.rootName) << c.path;
        EXPECT_EQ(subKey, c.subKey) << c.path;
    }
}

TEST(GridRegistryPaths, OpenRegistryPathCreatesAndOpensUnderTheRoot) {
    std::string dir = ::testing::TempDir() + "grglib_registry_XXXXXX";
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    std::string oldHome = std::getenv("OMR_HOME") ? std::getenv("OMR_HOME") : "";
    ::setenv("OMR_HOME", dir.c_str(), 1);

    EXPECT_EQ(OpenRegistryPath("\\\\HKEY_LOCAL_MACHINE\\Software\\Layouts", false), nullptr);
    auto reg = OpenRegistryPath("\\\\HKEY_LOCAL_MACHINE\\Software\\Layouts", true);
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg->RootKey(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg->CurrentPath(), "Software\\Layouts");
    EXPECT_TRUE(reg->LazyWrite());
    try {
        OpenRegistryPath("\\\\HKEY_ELSEWHERE\\Software", true);
        ADD_FAILURE() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message, "Unknown registry key HKEY_ELSEWHERE");
    }

    if (oldHome.empty()) ::unsetenv("OMR_HOME");
    else ::setenv("OMR_HOME", oldHome.c_str(), 1);
    std::filesystem::remove_all(dir);
}

TEST(GridAlignment, ConversionsBothWays) {
    EXPECT_EQ(AlignmentToHorzAlignment(taRightJustify, true), htaRight);
    EXPECT_EQ(AlignmentToHorzAlignment(taCenter, true), htaCenter);
    EXPECT_EQ(AlignmentToHorzAlignment(taLeftJustify, true), htaLeft);
    EXPECT_EQ(AlignmentToHorzAlignment(taRightJustify, false), htaDefault);
    EXPECT_EQ(HorzAlignmentToAlignment(htaCenter), taCenter);
    EXPECT_EQ(HorzAlignmentToAlignment(htaDefault), taLeftJustify);
    EXPECT_FALSE(IsHorzAlignmentSet(htaDefault));
    EXPECT_TRUE(PointInRectIncl({10, 5}, TRect(0, 0, 10, 5)));
    EXPECT_FALSE(PointInRectIncl({11, 5}, TRect(0, 0, 10, 5)));
    EXPECT_EQ(Sign(-4), -1);
    Integer a = 1, b = 2;
    SwapIntegers(a, b);
    EXPECT_EQ(a, 2);
}
