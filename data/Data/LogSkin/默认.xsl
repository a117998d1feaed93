<?xml version="1.0" encoding="UTF-8"?>
<!-- Article template "默认": renders article.xml, one blog article of the library (title,
     date, category and the HTML body the editor or the blog server gave). -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html" encoding="UTF-8" indent="no"/>
<xsl:template match="/">
<html>
<head>
<meta charset="UTF-8"/>
<meta name="viewport" content="width=device-width, initial-scale=1"/>
<title><xsl:value-of select="root/title"/></title>
<style type="text/css">
html { background: #eef1f5; }
body { margin: 0; padding: 32px 24px 56px; color: #24292f;
  font-family: "Noto Sans", "DejaVu Sans", "Noto Sans CJK SC", "Source Han Sans SC", "PingFang SC", "Microsoft YaHei", "WenQuanYi Micro Hei", sans-serif; }
.paper { max-width: 46em; margin: 0 auto; background: #ffffff; border-radius: 6px;
  box-shadow: 0 1px 3px rgba(27, 31, 36, 0.12); padding: 36px 44px 44px; }
.title { font-size: 1.6em; line-height: 1.4; margin: 0 0 0.5em; font-weight: 600; color: #0b3d91;
  word-wrap: break-word; overflow-wrap: anywhere; }
.meta { font-size: 0.85em; color: #6e7781; margin-bottom: 1.8em; padding-bottom: 1em;
  border-bottom: 1px solid #e4e8ee; }
.meta .category { display: inline-block; margin-left: 0.8em; padding: 0 0.6em; border-radius: 3px;
  background: #e8f0fe; color: #1a56b8; }
.body { font-size: 1.05em; line-height: 1.85; word-wrap: break-word; overflow-wrap: anywhere; }
.body img, .body video { max-width: 100%; height: auto; }
.body a { color: #1a56b8; }
.body pre { overflow-x: auto; padding: 0.8em 1em; border-radius: 4px; background: #f4f6f8; font-size: 0.9em; }
.body blockquote { margin: 1em 0; padding: 0.2em 1em; border-left: 3px solid #c9d3e0; color: #57606a; }
.body table { border-collapse: collapse; max-width: 100%; }
.body td, .body th { border: 1px solid #d8dee4; padding: 0.3em 0.6em; }
.untitled { color: #8c959f; font-style: italic; }
</style>
</head>
<body>
<div class="paper">
<h1 class="title">
<xsl:choose>
<xsl:when test="string(root/title)"><xsl:value-of select="root/title"/></xsl:when>
<xsl:otherwise><span class="untitled">(无标题)</span></xsl:otherwise>
</xsl:choose>
</h1>
<div class="meta">
<span class="date"><xsl:value-of select="root/pubdate"/></span>
<xsl:if test="string(root/category) and root/category != 'NULL'">
<span class="category"><xsl:value-of select="root/category"/></span>
</xsl:if>
</div>
<div class="body"><xsl:value-of select="root/description" disable-output-escaping="yes"/></div>
</div>
</body>
</html>
</xsl:template>
</xsl:stylesheet>
