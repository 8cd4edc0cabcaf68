// The in-tree XML reader that the MinGW build uses instead of pugixml.
#include <string>

#include "test_framework.h"
#include "xml_reader.h"

using standin::engine::parseXml;
using standin::engine::XmlElement;
using standin::engine::XmlError;

TEST(XmlReader, ElementsAttributesAndText) {
  XmlElement root = parseXml(
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- top -->\n"
      "<hdevelop file_version=\"1.1\">\n<procedure name='main'>\n<body>\n"
      "<l>if (X &lt; 3 &amp;&amp; Y &gt; 1)</l>\n<c></c>\n<l>S := &apos;a&quot;&#65;&#x42;&#xE9;&apos;</l>\n"
      "<l><![CDATA[<raw> & text]]></l>\n</body>\n<interface/>\n</procedure>\n</hdevelop>\n");
  EXPECT_EQ(root.name, "hdevelop");
  EXPECT_EQ(root.attribute("file_version"), "1.1");
  EXPECT_EQ(root.attribute("missing", "none"), "none");
  const XmlElement* proc = root.child("procedure");
  ASSERT_TRUE(proc != nullptr);
  EXPECT_EQ(proc->attribute("name"), "main");
  const XmlElement* body = proc->child("body");
  ASSERT_TRUE(body != nullptr);
  ASSERT_EQ(body->children.size(), 4u);
  EXPECT_EQ(body->children[0].text, "if (X < 3 && Y > 1)");
  EXPECT_EQ(body->children[1].name, "c");
  EXPECT_EQ(body->children[1].text, "");
  EXPECT_EQ(body->children[2].text, "S := 'a\"AB\xC3\xA9'");
  EXPECT_EQ(body->children[3].text, "<raw> & text");
  EXPECT_TRUE(proc->child("interface") != nullptr);
  EXPECT_TRUE(proc->child("interface")->children.empty());
}

TEST(XmlReader, KeepsLeadingSpacesOfLines) {
  XmlElement root = parseXml("<body><l>    X := 1</l></body>");
  EXPECT_EQ(root.children[0].text, "    X := 1");
}

TEST(XmlReader, RejectsMalformedInput) {
  const char* bad[] = {
      "",
      "<a>",
      "<a></b>",
      "<a x=1></a>",
      "<a x=\"1\" x=\"2\"></a>",
      "<a>&unknown;</a>",
      "<a>&#0;</a>",
      "<a></a><b></b>",
      "<a><!-- never closed </a>",
      "text before <a></a>",
      "<a x=\"<\"></a>",
  };
  for (const char* text : bad) {
    bool thrown = false;
    try {
      parseXml(text);
    } catch (const XmlError&) {
      thrown = true;
    }
    EXPECT_TRUE(thrown);
    if (!thrown) ADD_FAILURE();
  }
}

TEST(XmlReader, DeepNestingIsRefusedNotOverflowed) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  bool thrown = false;
  try {
    parseXml(deep);
  } catch (const XmlError& e) {
    thrown = std::string(e.what()).find("nested too deeply") != std::string::npos;
  }
  EXPECT_TRUE(thrown);
}
