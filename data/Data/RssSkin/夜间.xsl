<?xml version="1.0" encoding="UTF-8"?>
<!-- Article skin "夜间": renders tempRss.xml (one item) and tempRssList.xml (a page of items,
     each with an anchor named by its link). Item bodies are HTML written by the feed. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html" encoding="UTF-8" indent="no"/>
<xsl:template match="/">
<html>
<head>
<meta charset="UTF-8"/>
<meta name="viewport" content="width=device-width, initial-scale=1"/>
<title><xsl:value-of select="rss/channel/item[1]/title"/></title>
<style type="text/css">
body { margin: 0; padding: 28px 36px 48px; }
.item { max-width: 46em; margin: 0 auto 3em; }
.anchor { display: block; position: relative; top: -24px; height: 0; }
.title { font-size: 1.5em; line-height: 1.4; margin: 0 0 0.4em; font-weight: 600; }
.title a { text-decoration: none; }
.meta { font-size: 0.85em; margin-bottom: 1.6em; }
.meta span + span:before { content: "·"; margin: 0 0.6em; }
.body { font-size: 1.05em; line-height: 1.8; word-wrap: break-word; overflow-wrap: anywhere; }
.body img, .body video, .body iframe { max-width: 100%; height: auto; }
.body pre { overflow-x: auto; padding: 0.8em 1em; border-radius: 4px; font-size: 0.9em; }
.body blockquote { margin: 1em 0; padding: 0.2em 1em; }
.body table { border-collapse: collapse; max-width: 100%; }
.source { margin-top: 2em; font-size: 0.9em; }
.enclosures { margin: 1.6em 0 0; padding-left: 1.2em; font-size: 0.9em; overflow-wrap: anywhere; }
.enclosures span { margin-left: 0.8em; opacity: 0.7; }
.source a { text-decoration: none; }
body { background: #1b1d22; color: #d4d7dd;
  font-family: "DejaVu Sans", "Noto Sans", "Liberation Sans", Arial, Helvetica, "Noto Sans CJK SC", "Source Han Sans SC", "PingFang SC", "Microsoft YaHei", "WenQuanYi Micro Hei", sans-serif; }
.title a { color: #8ab4f8; }
.title a:hover { color: #aecbfa; }
.meta { color: #7d838d; }
.body a { color: #8ab4f8; }
.body img { opacity: 0.92; }
.body pre { background: #262a31; color: #d4d7dd; }
.body blockquote { border-left: 3px solid #3b4250; color: #a6acb6; }
.item + .item { border-top: 1px solid #2e323a; padding-top: 2em; }
.source a { color: #8ab4f8; }
</style>
</head>
<body>
<xsl:for-each select="rss/channel/item">
<div class="item">
<a class="anchor" name="{link}" id="{link}"></a>
<h1 class="title">
<xsl:choose>
<xsl:when test="starts-with(translate(link, 'HTPS', 'htps'), 'http:') or starts-with(translate(link, 'HTPS', 'htps'), 'https:')"><a href="{link}"><xsl:value-of select="title"/></a></xsl:when>
<xsl:otherwise><xsl:value-of select="title"/></xsl:otherwise>
</xsl:choose>
</h1>
<div class="meta">
<xsl:if test="string(author)"><span class="author"><xsl:value-of select="author"/></span></xsl:if>
<xsl:if test="string(pubDate)"><span class="date"><xsl:value-of select="pubDate"/></span></xsl:if>
</div>
<div class="body"><xsl:value-of select="description" disable-output-escaping="yes"/></div>
<xsl:if test="enclosure">
<ul class="enclosures">
<xsl:for-each select="enclosure">
<li><a href="{@url}"><xsl:value-of select="@url"/></a>
<xsl:if test="string(@type)"><span class="enclosure-type"><xsl:value-of select="@type"/></span></xsl:if>
<xsl:if test="@length &gt; 0"><span class="enclosure-size"><xsl:call-template name="size"><xsl:with-param name="bytes" select="@length"/></xsl:call-template></span></xsl:if>
</li>
</xsl:for-each>
</ul>
</xsl:if>
<xsl:if test="starts-with(translate(link, 'HTPS', 'htps'), 'http:') or starts-with(translate(link, 'HTPS', 'htps'), 'https:')">
<div class="source"><a href="{link}">阅读原文 →</a></div>
</xsl:if>
</div>
</xsl:for-each>
</body>
</html>
</xsl:template>
<!-- An attachment's size in the unit that reads best. -->
<xsl:template name="size">
<xsl:param name="bytes"/>
<xsl:choose>
<xsl:when test="$bytes &gt;= 1073741824"><xsl:value-of select="format-number($bytes div 1073741824, '0.0')"/> GB</xsl:when>
<xsl:when test="$bytes &gt;= 1048576"><xsl:value-of select="format-number($bytes div 1048576, '0.0')"/> MB</xsl:when>
<xsl:when test="$bytes &gt;= 1024"><xsl:value-of select="format-number($bytes div 1024, '0')"/> KB</xsl:when>
<xsl:otherwise><xsl:value-of select="$bytes"/> B</xsl:otherwise>
</xsl:choose>
</xsl:template>
</xsl:stylesheet>
