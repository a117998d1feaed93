<?xml version="1.0" encoding="UTF-8"?>
<!-- Article template "夜间": renders article.xml, one blog article of the library (title,
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
html { background: #15171b; }
body { margin: 0; padding: 32px 24px 56px; color: #d4d7dd;
  font-family: "Noto Sans", "DejaVu Sans", "Noto Sans CJK SC", "Source Han Sans SC", "PingFang SC", "Microsoft YaHei", "WenQuanYi Micro Hei", sans-serif; }
.paper { max-width: 46em; margin: 0 auto; background: #1f2228; border-radius: 6px;
  box-shadow: 0 1px 4px rgba(0, 0, 0, 0.5); padding: 36px 44px 44px; }
.title { font-size: 1.6em; line-height: 1.4; margin: 0 0 0.5em; font-weight: 600; color: #8ab4f8;
  word-wrap: break-word; overflow-wrap: anywhere; }
.meta { font-size: 0.85em; color: #7d838d; margin-bottom: 1.8em; padding-bottom: 1em;
  border-bottom: 1px solid #2e323a; }
.meta .category { display: inline-block; margin-left: 0.8em; padding: 0 0.6em; border-radius: 3px;
  background: #263449; color: #aecbfa; }
.body { font-size: 1.05em; line-height: 1.85; word-wrap: break-word; overflow-wrap: anywhere; }
.body img, .body video { max-width: 100%; height: auto; opacity: 0.92; }
.body a { color: #8ab4f8; }
.body pre { overflow-x: auto; padding: 0.8em 1em; border-radius: 4px; background: #262a31; color: #d4d7dd; font-size: 0.9em; }
.body blockquote { margin: 1em 0; padding: 0.2em 1em; border-left: 3px solid #3b4250; color: #a6acb6; }
.body table { border-collapse: collapse; max-width: 100%; }
.body td, .body th { border: 1px solid #3b4250; padding: 0.3em 0.6em; }
.untitled { color: #6e7781; font-style: italic; }
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
