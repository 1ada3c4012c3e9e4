// The data classes as their documentation states them: each row is a small expression and
// what a SWF 6, 7 and 8 movie prints for it. flash.geom is checked in SWF 8, the version it
// belongs to; XML, LoadVars and the menu classes in all three.
#include <gtest/gtest.h>

#include "postfix.h"
#include "test_host.h"
#include "version_rows.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;

namespace {

using Row = VersionRow;  // SWF 6, 7 and 8

const char* const kGeometryNames =
    "@flash .geom .Point >Point @flash .geom .Rectangle >Rect @flash .geom .Matrix >Matrix "
    "@flash .geom .ColorTransform >CT ";

void checkRows(const std::vector<Row>& rows, const std::string& prelude = {}) {
    checkVersionRows(6, 8, rows, postfix(prelude));
}

// flash.geom rows hold for SWF 8 only.
void checkGeometry(const std::vector<Row>& rows) {
    checkVersionRows(8, 8, rows, postfix(kGeometryNames));
}

}  // namespace

// Point: the examples of each method, the statics and the text form.
TEST(ClassReference, PointMethodsGiveTheirStatedResults) {
    checkGeometry({
        {"2 1 new:Point/2", "(x=1, y=2)"},
        {"new:Point/0", "(x=0, y=0)"},
        {"1 new:Point/1", "(x=1, y=undefined)"},
        {"'a' 'b' new:Point/2", "(x=b, y=a)"},
        {"2 1 new:Point/2 :toString/0 TypeOf", "string"},
        {"4 3 new:Point/2 .length", "5"},
        {"4 3 new:Point/2 0 0 new:Point/2 @Point :distance/2", "5"},
        {"0.5 50 50 new:Point/2 -100 -100 new:Point/2 @Point :interpolate/3", "(x=-25, y=-25)"},
        {"1 50 50 new:Point/2 -100 -100 new:Point/2 @Point :interpolate/3", "(x=-100, y=-100)"},
        {"0 50 50 new:Point/2 -100 -100 new:Point/2 @Point :interpolate/3", "(x=50, y=50)"},
        {"0.75 @Math :atan/1 5 @Point :polar/2", "(x=4, y=3)"},
        {"8 6 new:Point/2 >p 2.5 @p :normalize/1 Trace @p", "undefined|(x=1.5, y=2)"},
        {"0 0 new:Point/2 >p 2.5 @p :normalize/1 Pop @p", "(x=0, y=0)"},
        {"8 6 new:Point/2 >p 2 1 @p :offset/2 Trace @p", "undefined|(x=7, y=10)"},
        {"4 3 new:Point/2 2 1 new:Point/2 :add/1", "(x=4, y=6)"},
        {"4 3 new:Point/2 2 1 new:Point/2 :subtract/1", "(x=-2, y=-2)"},
        {"2 1 new:Point/2 2 1 new:Point/2 :equals/1", "true"},
        {"2 1 new:Point/2 3 1 new:Point/2 :equals/1", "false"},
        {"0 InitObject 2 1 new:Point/2 :equals/1", "false"},
        {"2 1 new:Point/2 >p @p :clone/0 >q @q Trace @q @p Equals2", "(x=1, y=2)|false"},
    });
}

// Rectangle: every method, the computed edges and corners, and rectangles of no or negative
// size, which are empty: a union leaves them out, an intersection with them is empty.
TEST(ClassReference, RectangleMethodsIncludingEmptyAndNegativeSizes) {
    checkGeometry({
        {"new:Rect/0", "(x=0, y=0, w=0, h=0)"},
        {"4 3 2 1 new:Rect/4 >r @r :clone/0 >s @s Trace @s @r Equals2",
         "(x=1, y=2, w=3, h=4)|false"},
        {"50 100 0 0 new:Rect/4 >r 32 16 @r :inflate/2 Trace @r",
         "undefined|(x=-16, y=-32, w=132, h=114)"},
        {"50 100 0 0 new:Rect/4 >r 32 16 new:Point/2 @r :inflatePoint/1 Pop @r",
         "(x=-16, y=-32, w=132, h=114)"},
        {"-5 10 0 0 new:Rect/4 :isEmpty/0", "true"},
        {"5 -10 0 0 new:Rect/4 :isEmpty/0", "true"},
        {"5 0 0 0 new:Rect/4 :isEmpty/0", "true"},
        {"5 10 0 0 new:Rect/4 :isEmpty/0", "false"},
        {"5 10 3 3 new:Rect/4 >r @r :setEmpty/0 Trace @r", "undefined|(x=0, y=0, w=0, h=0)"},
        {"30 60 50 20 new:Rect/4 70 50 -50 150 new:Rect/4 :union/1", "(x=20, y=-50, w=180, h=130)"},
        {"50 50 0 0 new:Rect/4 100 100 25 25 new:Rect/4 :intersection/1",
         "(x=25, y=25, w=25, h=25)"},
        {"100 100 25 25 new:Rect/4 50 50 0 0 new:Rect/4 :intersection/1",
         "(x=25, y=25, w=25, h=25)"},
        {"10 10 0 0 new:Rect/4 10 10 10 0 new:Rect/4 :intersects/1", "false"},
        {"10 10 0 0 new:Rect/4 10 10 5 0 new:Rect/4 :intersects/1", "true"},
        {"0 0 5 5 new:Rect/4 10 10 0 0 new:Rect/4 :union/1", "(x=0, y=0, w=10, h=10)"},
        {"10 10 0 0 new:Rect/4 0 0 5 5 new:Rect/4 :union/1", "(x=0, y=0, w=10, h=10)"},
        {"-10 -10 20 20 new:Rect/4 10 10 0 0 new:Rect/4 :union/1", "(x=0, y=0, w=10, h=10)"},
        {"10 10 0 0 new:Rect/4 -10 -10 20 20 new:Rect/4 :union/1", "(x=0, y=0, w=10, h=10)"},
        {"-10 -10 20 20 new:Rect/4 10 10 0 0 new:Rect/4 :intersection/1", "(x=0, y=0, w=0, h=0)"},
        {"-10 -10 20 20 new:Rect/4 10 10 0 0 new:Rect/4 :intersects/1", "false"},
        {"10 10 0 0 new:Rect/4 10 10 0 0 new:Rect/4 :containsRectangle/1", "true"},
        {"10 10 1 1 new:Rect/4 10 10 0 0 new:Rect/4 :containsRectangle/1", "false"},
        {"5 5 new:Point/2 10 10 0 0 new:Rect/4 :containsPoint/1", "true"},
        {"10 10 new:Point/2 10 10 0 0 new:Rect/4 :containsPoint/1", "false"},
        {"0 0 10 10 0 0 -10 -10 new:Rect/4 :contains/2", "false"},
        {"4 3 2 1 new:Rect/4 4 3 2 1 new:Rect/4 :equals/1", "true"},
        {"4 3 2 1 new:Rect/4 4 3 2 9 new:Rect/4 :equals/1", "false"},
        {"'h' 4 'w' 3 'y' 2 'x' 1 4 InitObject 4 3 2 1 new:Rect/4 :equals/1", "false"},
        {"4 3 2 1 new:Rect/4 >r 5 5 @r :offset/2 Trace @r", "undefined|(x=6, y=7, w=3, h=4)"},
        {"4 3 2 1 new:Rect/4 >r 5 5 new:Point/2 @r :offsetPoint/1 Pop @r", "(x=6, y=7, w=3, h=4)"},
        {"4 3 2 1 new:Rect/4 >r @r .size Trace @r .topLeft Trace @r .bottomRight Trace @r .bottom",
         "(x=3, y=4)|(x=1, y=2)|(x=4, y=6)|6"},
        {"4 3 2 1 new:Rect/4 >r @r 'size' 9 8 new:Point/2 SetMember @r", "(x=1, y=2, w=8, h=9)"},
        {"4 3 2 1 new:Rect/4 >r @r 'bottomRight' 9 8 new:Point/2 SetMember @r",
         "(x=1, y=2, w=7, h=7)"},
        {"4 3 2 1 new:Rect/4 >r @r 'topLeft' 0 0 new:Point/2 SetMember @r", "(x=0, y=0, w=4, h=6)"},
        {"4 3 2 1 new:Rect/4 >r @r 'right' 10 SetMember @r 'bottom' 10 SetMember @r",
         "(x=1, y=2, w=9, h=8)"},
    });
}

// Matrix: each method's example and the text form; ColorTransform's rgb, concat and text.
TEST(ClassReference, MatrixAndColorTransformArithmetic) {
    checkGeometry({
        {"6 5 4 3 2 1 new:Matrix/6 >m @m :clone/0 >n @n Trace @n @m Equals2",
         "(a=1, b=2, c=3, d=4, tx=5, ty=6)|false"},
        {"new:Matrix/0 >m 3 2 @m :scale/2 Trace @m", "undefined|(a=2, b=0, c=0, d=3, tx=0, ty=0)"},
        {"6 5 4 3 2 1 new:Matrix/6 >m 3 2 @m :scale/2 Pop @m",
         "(a=2, b=6, c=6, d=12, tx=10, ty=18)"},
        {"6 5 4 3 2 1 new:Matrix/6 >m 20 10 @m :translate/2 Pop @m",
         "(a=1, b=2, c=3, d=4, tx=15, ty=26)"},
        {"new:Matrix/0 >m @Math .PI 2 Divide @m :rotate/1 Pop @m",
         "(a=6.12323399573677e-17, b=1, c=-1, d=6.12323399573677e-17, tx=0, ty=0)"},
        {"6 5 4 3 2 1 new:Matrix/6 >m @Math .PI @m :rotate/1 Pop @m",
         "(a=-1, b=-2, c=-3, d=-4, tx=-5, ty=-6)"},
        {"new:Matrix/0 >m 200 100 @Math .PI 4 Divide 3 2 @m :createBox/5 Pop @m",
         "(a=1.4142135623731, b=2.12132034355964, c=-1.41421356237309, d=2.12132034355964, "
         "tx=100, ty=200)"},
        {"new:Matrix/0 >m 20 10 0 50 100 @m :createGradientBox/5 Pop @m",
         "(a=0.06103515625, b=0, c=0, d=0.030517578125, tx=60, ty=45)"},
        {"6 5 4 3 2 1 new:Matrix/6 >m @m :identity/0 Pop @m", "(a=1, b=0, c=0, d=1, tx=0, ty=0)"},
        {"6 5 4 3 2 1 new:Matrix/6 >m 0 0 0 3 0 2 new:Matrix/6 @m :concat/1 Pop @m",
         "(a=8, b=0, c=18, d=0, tx=28, ty=0)"},
        {"1 1 new:Point/2 0 0 0 3 0 2 new:Matrix/6 :transformPoint/1", "(x=5, y=0)"},
        {"1 1 new:Point/2 9 8 0 3 0 2 new:Matrix/6 :deltaTransformPoint/1", "(x=5, y=0)"},
        {"new:CT/0",
         "(redMultiplier=1, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, "
         "redOffset=0, greenOffset=0, blueOffset=0, alphaOffset=0)"},
        {"8 7 6 5 4 3 2 1 new:CT/8 .rgb", "329223"},
        {"new:CT/0 >c @c 'rgb' 16711680 SetMember @c .rgb Trace @c",
         "16711680|(redMultiplier=0, greenMultiplier=0, blueMultiplier=0, alphaMultiplier=1, "
         "redOffset=255, greenOffset=0, blueOffset=0, alphaOffset=0)"},
        {"new:CT/0 >c @c 'rgb' -1 SetMember @c .rgb", "16777215"},
        {"new:CT/0 >c @c 'rgb' 305419896 SetMember @c .rgb", "3430008"},
        {"0 40 30 20 1 0.5 0.5 0.5 new:CT/8 >b 0 10 10 10 1 2 2 2 new:CT/8 >c @b @c :concat/1 "
         "Pop @c",
         "(redMultiplier=1, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, "
         "redOffset=50, greenOffset=70, blueOffset=90, alphaOffset=0)"},
    });
}

// XML parsing: node types, names and values of documents, elements and text, entities,
// CDATA, declarations, white space, and a status code for each kind of malformed source.
TEST(ClassReference, XmlParsesNodesDeclarationsAndMalformedSource) {
    checkRows({
        {R"('<a>hi</a>' new:XML/1 >d @d .nodeType Trace @d .nodeName Trace @d .nodeValue)",
         "1|null|null"},
        {R"('<a>hi</a>' new:XML/1 .firstChild >n @n .nodeType Trace @n .nodeName Trace @n .nodeValue)",
         "1|a|null"},
        {R"('<a>hi</a>' new:XML/1 .firstChild .firstChild >n @n .nodeType Trace @n .nodeName Trace @n .nodeValue)",
         "3|null|hi"},
        {R"('<a> <b/> </a>' new:XML/1 .firstChild .childNodes .length)", "3"},
        {R"(@XML .prototype 'ignoreWhite' true SetMember '<a> <b/> </a>' new:XML/1 .firstChild .childNodes .length)",
         "1"},
        {R"(new:XML/0 >x @x 'ignoreWhite' true SetMember '<a> <b/> x </a>' @x :parseXML/1 Pop @x)",
         "<a><b /> x </a>"},
        {R"('  <a/>  ' new:XML/1 .childNodes .length)", "3"},
        {R"('<a>&lt;&amp;&gt;&quot;&apos;&#65;</a>' new:XML/1 .firstChild .firstChild .nodeValue)",
         R"(<&>"'A)"},
        {R"('<a k="&lt;&amp;&quot;"/>' new:XML/1 .firstChild .attributes .k)", R"(<&")"},
        {R"('<![CDATA[<x>&]]>' new:XML/1 >x @x .firstChild .nodeValue Trace @x)",
         "<x>&|&lt;x&gt;&amp;"},
        {R"('<!-- c --><a/>' new:XML/1)", "<a />"},
        {R"('<?xml version="1.0"?><!DOCTYPE a><a/>' new:XML/1 >x @x .xmlDecl Trace @x .docTypeDecl Trace @x)",
         R"(<?xml version="1.0"?>|<!DOCTYPE a>|<?xml version="1.0"?><!DOCTYPE a><a />)"},
        // Each declaration prints only when the document has it.
        {R"('<?xml version="1.0"?><a/>' new:XML/1)", R"(<?xml version="1.0"?><a />)"},
        {R"('<!DOCTYPE a><a/>' new:XML/1)", "<!DOCTYPE a><a />"},
        {R"('<?xml v?><a/>' new:XML/1 >x '<b/>' @x :parseXML/1 Pop @x .xmlDecl Trace @x)",
         "undefined|<b />"},
        {"new:XML/0 >x @x .xmlDecl Trace @x .docTypeDecl Trace @x .contentType Trace @x "
         ".ignoreWhite Trace @x .status Trace '<a/>' @x :parseXML/1 Pop @x .status",
         "undefined|undefined|application/x-www-form-urlencoded|false|undefined|0"},
        {"new:XML/0 >x @x :toString/0 Trace @x .firstChild", "|null"},
        {R"('<![CDATA[ x' new:XML/1 .status)", "-2"},
        {R"('<?xml x' new:XML/1 .status)", "-3"},
        {R"('<!DOCTYPE x' new:XML/1 .status)", "-4"},
        {R"('<!-- x' new:XML/1 .status)", "-5"},
        {R"('<a x="1></a>' new:XML/1 .status)", "-8"},
        {R"('<a x=1/>' new:XML/1 .status)", "-8"},
        {R"('<a>' new:XML/1 >x @x .status Trace @x)", "-9|<a />"},
        {R"('<a><b></a>' new:XML/1 >x @x .status Trace @x)", "-10|<a><b /></a>"},
        {R"('</a>' new:XML/1 .status)", "-10"},
    });
}

// XML trees built and changed by script: createElement and createTextNode, the links after
// appendChild, insertBefore and removeNode, cloneNode shallow and deep, escaping on output,
// and the namespace properties of prefixed and default-namespace elements.
TEST(ClassReference, XmlNodesBuildMoveCloneAndPrint) {
    checkRows({
        {"new:XML/0 >x 'b' @x :createElement/1 >e @e .nodeType Trace @e .nodeName Trace @e "
         ".nodeValue Trace @e .parentNode",
         "1|b|null|null"},
        {"new:XML/0 >x 'hi' @x :createTextNode/1 >e @e .nodeType Trace @e .nodeName Trace @e "
         ".nodeValue Trace @e .parentNode",
         "3|null|hi|null"},
        {"'b' 1 new:XMLNode/2 Trace 'b' 3 new:XMLNode/2", "<b />|b"},
        {R"('<&>"' new:XML/0 :createTextNode/1)", "&lt;&amp;&gt;&quot;"},
        {R"(new:XML/0 >x 'b' @x :createElement/1 >e @e .attributes 'k' '<&>"' SetMember @e)",
         R"(<b k="&lt;&amp;&gt;&quot;" />)"},
        {R"('<a x="1" y="2"><b>t</b></a>' new:XML/1)", R"(<a y="2" x="1"><b>t</b></a>)"},
        {R"('<a b="x" b="y"/>' new:XML/1)", R"(<a b="y" />)"},
        {R"('<a/>' new:XML/1 .firstChild >a @a .attributes 'z' 1 SetMember @a)", R"(<a z="1" />)"},
        {"'<a/>' new:XML/1 >x @x :hasChildNodes/0 Trace @x .firstChild :hasChildNodes/0 Trace "
         "@x .firstChild .firstChild Trace @x .firstChild .childNodes .length",
         "true|false|null|0"},
        {"'<a><b/><c/></a>' new:XML/1 .firstChild >a @a .firstChild .nextSibling .nodeName Trace "
         "@a .lastChild .previousSibling .nodeName Trace @a .firstChild .previousSibling Trace @a "
         ".lastChild .nextSibling Trace @a .firstChild .parentNode .nodeName Trace @a .parentNode "
         ".parentNode",
         "c|b|null|null|a|null"},
        // childNodes follows the tree; changing the array changes nothing in the tree.
        {"'<a><b/><c/></a>' new:XML/1 .firstChild >a @a .childNodes >k @a .lastChild "
         ":removeNode/0 Pop @k .length",
         "1"},
        {"'<a><b/></a>' new:XML/1 .firstChild >a @a .childNodes >k 'z' new:XML/0 "
         ":createElement/1 @k :push/1 Pop @a .childNodes .length Trace @a",
         "2|<a><b /></a>"},
        {"'<a><b/><c/></a>' new:XML/1 >x @x .firstChild >a 'd' @x :createElement/1 >d @a "
         ".firstChild @d @a :insertBefore/2 Trace @x Trace @d .parentNode .nodeName Trace @d "
         ".nextSibling .nodeName",
         "undefined|<a><d /><b /><c /></a>|a|b"},
        {"'<a><b/></a>' new:XML/1 .firstChild >a 'c' new:XML/0 :createElement/1 >c 'x' new:XML/0 "
         ":createElement/1 @c @a :insertBefore/2 Pop @a",
         "<a><b /></a>"},
        // A child appended to its own parent stays where it is; taken out first, or from
        // another parent, it goes to the end.
        {"'<a><b/><c/></a>' new:XML/1 >x @x .firstChild >a @a .firstChild @a :appendChild/1 Trace "
         "@x Trace @a .firstChild >b @b :removeNode/0 Pop @b @a :appendChild/1 Pop @x",
         "undefined|<a><b /><c /></a>|<a><c /><b /></a>"},
        {"'<r><a><b/></a><c/></r>' new:XML/1 >x @x .firstChild >r @r .firstChild .firstChild @r "
         ".lastChild :appendChild/1 Pop @x Trace @r .firstChild :hasChildNodes/0",
         "<r><a /><c><b /></c></r>|false"},
        // A node never goes inside itself or its own descendants.
        {"'<a><b/></a>' new:XML/1 .firstChild >a @a @a :appendChild/1 Pop @a @a .firstChild "
         ":appendChild/1 Pop @a",
         "<a><b /></a>"},
        {"'<a><b/><c/></a>' new:XML/1 >x @x .firstChild .firstChild >b @b :removeNode/0 Trace @b "
         ".parentNode Trace @b .nextSibling Trace @x",
         "undefined|null|null|<a><c /></a>"},
        {R"('<a k="1"><b>t</b></a>' new:XML/1 .firstChild >a false @a :cloneNode/1 >c @c Trace @c .parentNode Trace true @a :cloneNode/1)",
         R"(<a k="1" />|null|<a k="1"><b>t</b></a>)"},
        {R"('<a k="1"/>' new:XML/1 .firstChild >a true @a :cloneNode/1 .attributes 'k' 2 SetMember @a)",
         R"(<a k="1" />)"},
        {"'<a>t</a>' new:XML/1 .firstChild .firstChild >t @t 'nodeValue' '<v>' SetMember @t",
         "&lt;v&gt;"},
        {"'<a/>' new:XML/1 .firstChild >a @a 'nodeName' 'z' SetMember @a", "<z />"},
        {R"('<p:a xmlns:p="urn:x"><p:b/></p:a>' new:XML/1 .firstChild .firstChild >b @b .prefix Trace @b .localName Trace @b .namespaceURI Trace 'p' @b :getNamespaceForPrefix/1 Trace 'urn:x' @b :getPrefixForNamespace/1)",
         "p|b|urn:x|urn:x|p"},
        {R"('<a xmlns="urn:d"><b/></a>' new:XML/1 .firstChild .firstChild >b @b .prefix Trace @b .localName Trace @b .namespaceURI)",
         "|b|urn:d"},
    });
}

// LoadVars as text: toString newest first with escape()'s encoding, decode of a form, the
// byte counts before any load; ContextMenu and ContextMenuItem and their copies.
TEST(ClassReference, LoadVarsAndMenusAreData) {
    checkRows({
        {"new:LoadVars/0 >l @l 'a' 1 SetMember @l 'b' 'x y&=%+' SetMember @l",
         "b=x%20y%26%3D%25%2B&a=1"},
        {"new:LoadVars/0 >l 'a=1&b=x%20y+z&c' @l :decode/1 Trace @l Trace @l .b Trace @l .c",
         "undefined|c=&b=x%20y%20z&a=1|x y z|"},
        {"new:LoadVars/0 >l 'a=1&a=2' @l :decode/1 Pop @l .a", "2"},
        {"new:LoadVars/0 >l @l 'a' undefined SetMember @l 'b' null SetMember @l",
         "b=null&a=", "b=null&a=undefined"},
        {"new:LoadVars/0 >l @l .contentType Trace @l .loaded Trace @l :getBytesLoaded/0 Trace @l "
         ":getBytesTotal/0",
         "application/x-www-form-urlencoded|undefined|undefined|undefined"},
        {"new:ContextMenu/0 .builtInItems >b @b .forward_back Trace @b .loop Trace @b .play Trace "
         "@b .print Trace @b .quality Trace @b .rewind Trace @b .save Trace @b .zoom",
         "true|true|true|true|true|true|true|true"},
        {"@f new:ContextMenu/1 >c @c .onSelect @f Equals2 Trace @c .customItems .length", "true|0"},
        {"new:ContextMenu/0 >c @c :hideBuiltInItems/0 Trace @c .builtInItems .print Trace @c "
         ".builtInItems .zoom",
         "undefined|false|false"},
        {"'Go' new:ContextMenuItem/1 >i @i .caption Trace @i .separatorBefore Trace @i .enabled "
         "Trace @i .visible Trace @i .onSelect",
         "Go|false|true|true|undefined"},
        {"false true true @f 'a' new:ContextMenuItem/5 >i @i .separatorBefore Trace @i .enabled "
         "Trace @i .visible",
         "true|true|false"},
        {"'g' new:ContextMenuItem/1 >i @i :copy/0 >j @j .caption Trace @j @i Equals2", "g|false"},
        {"new:ContextMenu/0 >c 'g' new:ContextMenuItem/1 @c .customItems :push/1 Pop @c :copy/0 "
         ">d @d .customItems .length Trace @d .customItems .0 .caption Trace @d .customItems .0 "
         "@c .customItems .0 Equals2",
         "1|g|false"},
    });
}

// A method handed to setInterval runs on no object at all; every flash.geom, XML, LoadVars
// and menu method then answers (undefined, false or an empty result) instead of failing.
TEST(ClassReference, MethodsRunByATimerOnNoObjectAnswerSafely) {
    const char* classes[] = {"@flash .geom .Point",
                             "@flash .geom .Rectangle",
                             "@flash .geom .Matrix",
                             "@flash .geom .ColorTransform",
                             "@flash .geom .Transform",
                             "@XML",
                             "@XMLNode",
                             "@LoadVars",
                             "@ContextMenu",
                             "@ContextMenuItem"};
    for (const char* cls : classes) {
        Fixture f(8);
        Machine& m = f.machine;
        f.run(postfix(std::string(cls) + " .prototype >p new:Object/0 >o"));
        Value proto = m.get(f.host.rootClip, "p");
        ASSERT_TRUE(proto.isObject()) << cls;
        int timers = 0;
        for (const Property& method : proto.object()->properties()) {
            if (!method.value.isObject() || method.value.object()->kind() != ObjectKind::Function) {
                continue;
            }
            // setInterval(method, 10, o, o): the arguments an equals or a union would take.
            Assembler as = postfix("@o @o 10");
            as.push({str("p")}).op(pencora::swf::ActionCode::GetVariable);
            as.push({str(method.name.toStdString())}).op(pencora::swf::ActionCode::GetMember);
            as.append(postfix("setInterval/4 Pop"));
            f.run(as);
            ++timers;
        }
        EXPECT_GT(timers, 0) << cls;
        f.host.clock += 15;
        m.runTimers();
    }
}

// A document nested deeper than the program's stack could follow by recursion still prints,
// copies deeply and is collected.
TEST(ClassReference, XmlNestedVeryDeeplyPrintsAndCopies) {
    const int depth = 100000;
    Fixture f(8);
    Machine& m = f.machine;
    std::vector<Value> source{
        Value(QString("<a>").repeated(depth) + QString("</a>").repeated(depth))};
    Value doc = m.construct(m.get(m.global(), "XML"), source);
    m.global()->put("doc", doc);
    EXPECT_EQ(m.toNumber(m.getMember(doc, "status")), 0);
    const QString expected =
        QString("<a>").repeated(depth - 1) + "<a />" + QString("</a>").repeated(depth - 1);
    RunResult printed = m.callValue(m.getMember(doc, "toString"), doc, {}, 8);
    ASSERT_TRUE(printed.ok());
    EXPECT_TRUE(m.toString(printed.value) == expected);
    Value top = m.getMember(doc, "firstChild");
    RunResult copy = m.callValue(m.getMember(top, "cloneNode"), top, {Value(true)}, 8);
    ASSERT_TRUE(copy.ok());
    m.global()->put("copy", copy.value);
    RunResult copied = m.callValue(m.getMember(copy.value, "toString"), copy.value, {}, 8);
    EXPECT_TRUE(m.toString(copied.value) == expected);
    m.global()->put("doc", Value());
    m.global()->put("copy", Value());
    m.collectGarbage({});
}
