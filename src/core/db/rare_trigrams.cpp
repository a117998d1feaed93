#include "core/db/rare_trigrams.h"

#include <array>
#include <unordered_map>
#include <utility>

#include "core/db/sparse_trigrams.h"
#include "core/db/trigram_tokenizer.h"

namespace zirvo {
namespace {

using trigram_tokenizer::FoldAscii;

// The trigrams most items of real feeds hold (titles and descriptions, markup included),
// commonest first: bench/search_corpus.py --trigram-table 1024 over the feeds of tests/data and
// the shared corpus. NOTE: frozen. The index's terms depend on it: a change needs a new index
// (a schema step that rebuilds it).
constexpr const char* kCommonTrigrams[] = {
    "com", "ent",  "://",  "htt",   "ttp",  "\"ht", "=\"h", " al",   " co",  ".co",  "om/",
    "ing", "g s",  "img",  "to ",   " sr",  "<im",  "c=\"", "mg ",   "rc=",  "src",  "p:/",
    "tp:", " to",  "alt",  "ng ",   "lt=",  "t=\"", "ed ",  "men",   " de",  " wi",  "the",
    " a ", " he",  "\" a", " in",   " su",  "he ",  "lin",  " th",   "></",  "er ",  "ted",
    "ter", "igh",  "r.c",  "by ",   "red",  " by",  "ght",  "/><",   " an",  " re",  "d b",
    " ma", "a h",  "e a",  "hei",   "hre",  "ion",  "ser",  "ner",   "or ",  "ref",  " se",
    "as ", "es ",  "est",  "in ",   " ca",  " hr",  "is ",  "omm",   " <a",  "/a>",  "</a",
    "<a ", "ef=",  "f=\"", "s a",   "use",  "\"/>", "a> ",  "er.",   "on ",  "ps:",  "s:/",
    "sta", "tps",  "ww.",  "<br",   "mit",  "nts",  "res",  "tte",   " />",  "\"><", "//w",
    "/ww", "nte",  "wid",  "www",   "> <",  "de ",  "edi",  "ver",   "ble",  "eed",  "eig",
    "tim", "ult",  " fo",  "=\"\"", "dth",  "e t",  "for",  "idt",   "ima",  "te ",  "al ",
    "dit", "e s",  " pr",  "abl",   "nd ",  "\" h", "\" w", "\"1\"", "1\" ", "=\"1", "bur",
    "eds", "fee",  "h=\"", "ht=",   "itt",  "rne",  "th=",  "tin",   "urn",  " of",  "tio",
    "ds.", "e c",  "ere",  " be",   " do",  "all",  "and",  "s t",   "sub",  "con",  "ink",
    "st ", " pa",  "/fe",  "e p",   "of ",  "r a",  "re ",  " di",   " mo",  "ddi",  "o d",
    "pro", "s.f",  "t.c",  " ha",   " no",  " st",  " ti",  "\"\"/", ".fe",  "//f",  "/~4",
    "/~r", "><i",  "an ",  "at ",   "dbu",  "edb",  "en ",  "m/~",   "mme",  "s i",  "~4/",
    "~r/", "/co",  "art",  "ati",   "e o",  "eri",  "n t",  " on",   " qu",  "ass",  "dia",
    "e i", "ers",  "/\">", "ant",   "ate",  "ine",  "it.",  "ite",   "pre",  " is",  "der",
    "e d", "med",  "s s",  "ste",   "sti",  " li",  "</s",  "bmi",   "d a",  "her",  "ll ",
    "n a", "ort",  "tra",  "ubm",   " as",  " fi",  "><s",  "ar ",   "are",  "d t",  "ear",
    "nal", "om ",  "s c",  "s, ",   "tab",  "ts ",  " da",  " me",   " ne",  " po",  " te",
    ", a", "le ",  "mas",  "s o",   "e f",  "e m",  "g t",  "ica",   "ost",  "tha",  "ve ",
    " ar", "ara",  "er/",  "his",   "ist",  "nce",  "nt ",  "our",   "ove",  "par",  "per",
    "rea", " </",  " pe",  " so",   "201",  "</p",  "><b",  "ch ",   "ide",  "ne ",  "ou ",
    "s d", "t a",  " fr",  " tr",   "ce ",  "e, ",  "hat",  "las",   "ly ",  "s p",  "t t",
    "ten", "tes",  "thi",  " at",   " ba",  " ex",  " mi",  "end",   "f t",  "har",  "int",
    "o a", "ons",  "ont",  "pan",   "r t",  "rat",  "rs ",  "se ",   "str",  "th ",  "ts/",
    " ap", " le",  " we",  "/im",   "br ",  "d i",  "den",  "e b",   "e w",  "eve",  "lti",
    "man", "one",  "ore",  "out",   "r /",  "tic",  "wit",  " cl",   " ho",  " it",  "a><",
    "age", "e e",  "e=\"", "g\" ",  "ies",  "le=",  "s f",  "y a",   " ch",  "><a",  "]</",
    "a s", "act",  "ave",  "cti",   "ess",  "it ",  "ome",  "rie",   "s</",  "spa",  "tro",
    " lo", " sa",  " sh",  " wh",   "/us",  "ard",  "ast",  "edd",   "eir",  "ell",  "g a",
    "ile", "ill",  "ive",  "lar",   "m/r",  "m/u",  "ns ",  "por",   "ran",  "s w",  "ssi",
    "t o", "tor",  "ur ",  " bo",   " en",  " na",  " ou",  "\" /",  "\">[", ".re",  "/r/",
    ">[l", "[li",  "can",  "e r",   "em ",  "era",  "ity",  "k]<",   "les",  "mor",  "nk]",
    "o p", "o t",  "ple",  "r o",   "rin",  "rom",  "s]<",  "ts]",   "und",  "ut ",  "w.r",
    " go", " sp",  "/p>",  "<p>",   "a c",  "a d",  "cal",  "din",   "ect",  "ith",  "nta",
    "nti", "ong",  "pos",  "ry ",   "s e",  "tle",  "you",  " <b",   " wa",  ".</",  ".jp",
    "ay ", "cla",  "do ",  "enc",   "ge ",  "gin",  "ona",  "que",   "ren",  "rou",  "rti",
    "so ", " un",  " ve",  " yo",   "ain",  "anc",  "be ",  "d o",   "fer",  "fro",  "lly",
    "n i", "n s",  "o s",  "sio",   "spo",  "t i",  "tit",  "tiv",   "ty ",  "a p",  "ang",
    "app", "e n",  "eas",  "ese",   "han",  "ice",  "ina",  "ld ",   "min",  "n b",  "n o",
    "n><", "new",  "r s",  "tat",   "thu",  " ac",  "/20",  "ali",   "ari",  "d f",  "e h",
    "ges", "how",  "hum",  "ien",   "ind",  "kin",  "l s",  "lea",   "ndi",  "o m",  "ow ",
    "r/j", "s m",  "sen",  "ue ",   "umb",  "ven",  "y t",  " gr",   " la",  " va",  ", s",
    ">th", "ade",  "ake",  "als",   "ces",  "d s",  "e. ",  "eat",   "fic",  "hav",  "ia.",
    "iti", "me ",  "n-u",  "nde",   "oun",  "pla",  "r m",  "r><",   "rec",  "s b",  "s. ",
    "ss ", "tur",  "ure",  " ab",   " si",  " wo",  "d c",  "div",   "elo",  "ime",  "ntr",
    "off", "r i",  "sin",  "spe",   "tan",  " or",  " vi",  ", m",   "-ul",  "/jn",  "/sp",
    "/tr", "> t",  "as/",  "des",   "ead",  "g><",  "gra",  "ins",   "jn-",  "lig",  "lle",
    "mar", "n c",  "r, ",  "rd ",   "ron",  "s.<",  "s/~",  "sit",   "tme",  "us ",  "vel",
    " <s", " cr",  " fa",  " hi",   " ta",  "/st",  "<sp",  "ad ",   "an>",  "ans",  "cat",
    "cha", "cia",  "e</",  "ern",   "et ",  "hin",  "jpg",  "lic",   "o c",  "o i",  "ram",
    "s n", "sho",  "t s",  "wor",   " mu",  " ra",  "><p",  "a t",   "ail",  "ase",  "ber",
    "cle", "col",  "een",  "h a",   "h t",  "itl",  "n m",  "n, ",   "ord",  "orm",  "qua",
    "ra ", "rde",  "rte",  "t w",   "tho",  "tri",  "y <",  "y, ",   " au",  ". a",  "ace",
    "arg", "bor",  "che",  "d m",   "esi",  "fil",  "gur",  "inc",   "ire",  "l a",  "low",
    "mag", "n d",  "n f",  "nge",   "not",  "o e",  "pri",  "r p",   "rep",  "s=\"", "ss=",
    "t h", "t, ",  "uni",  "war",   "whe",  "wil",  "y s",  " ad",   " bu",  " ge",  ", w",
    ". i", ".<i",  "/di",  "ach",   "ack",  "ame",  "blo",  "cor",   "cre",  "dis",  "e u",
    "ele", "eli",  "ens",  "ert",   "es,",  "ew ",  "gre",  "has",   "ial",  "ic ",  "ici",
    "l t", "log",  "mat",  "no ",   "o <",  "ot ",  "r f",  "rta",   "t. ",  "tal",  "tar",
    ", i", ". <",  ". t",  "/ta",   "/td",  "</d",  "</t",  "<di",   "<ta",  "<td",  "<tr",
    "><t", "a l",  "a m",  "abo",   "am ",  "ana",  "car",  "cou",   "ct ",  "d r",  "e g",
    "eal", "es.",  "hou",  "ia ",   "iv ",  "iv>",  "lat",  "le>",   "m t",  "nci",  "ng.",
    "nin", "ode",  "r e",  "r r",   "rac",  "sed",  "sty",  "t f",   "t m",  "td>",  "tr>",
    "ust", "vie",  "wer",  "whi",   "y i",  "y o",  " 20",  " br",   " es",  " ev",  " fe",
    " pu", "\" t", ", d",  ", t",   "bli",  "e l",  "e\">", "eco",   "eng",  "ery",  "exp",
    "ger", "gro",  "hen",  "ich",   "ini",  "ke ",  "lan",  "lit",   "llo",  "m a",  "mon",
    "nst", "oll",  "ori",  "oss",   "pg\"", "ral",  "rel",  "rit",   "ta ",  "ubl",  "v c",
    " us", "a g",  "ano",  "any",   "aut",  "bas",  "d> ",  "d><",   "day",  "ded",  "ds ",
    "eci", "ffe",  "fin",  "fla",   "get",  "gle",  "hea",  "hel",   "itm",  "l p",  "ls ",
    "mbs", "mes",  "mil",  "ned",   "nee",  "nes",  "now",  "ond",   "ope",  "oth",  "r c",
    "rio", "rna",  "s l",  "t c",   "tyl",  "ual",  "y c",  "yle",   "  <",  " ce",  " pl",
    " ro", " sc",  "\"> ", ", o",   ".th",  ">  ",  "a b",  "att",   "bou",  "d w",  "ete",
    "eti", "fir",  "g o",  "goo",   "inf",  "isc",  "n e",  "nat",   "nto",  "ny ",  "omp",
    "ora", "os ",  "ovi",  "pub",   "r d",  "rge",  "ric",  "t b",   "tem",  "up ",  "ute",
    "was", "y f",  " im",  ", c",   "/bl",  "a a",  "ani",  "asi",   "atu",  "ck ",  "d l",
    "d p", "duc",  "e y",  "el ",   "ext",  "g f",  "icl",  "ili",   "ir ",  "l c",  "let",
    "mai", "nsi",  "o b",  "ook",   "ous",  "own",  "pec",  "pot",   "rce",  "rig",  "rma",
    "rth", "s h",  "sel",  "ses",   "sha",  "sid",  "som",  "t p",   "unc",  "val",  "vid",
    "vin", "y. ",  "  t",  " up",   " ye",  "/> ",  "> s",  "a.c",   "bac",  "bs.",  "cen",
    "chi", "cin",  "dev",  "e><",   "er,",  "ey ",  "f s",  "gli",   "hic",  "hor",  "ian",
    "ike", "ise",  "ize",  "kno",   "l o",  "le.",  "lis",  "lso",   "mis",  "ood",  "ork",
    "oul", "r. ",  "rod",  "rov",   "rre",  "rst",  "s.r",  "sto",   "t d",  "t e",  "t</",
    "tak", "unt",  "way",  " af",   " ea",  " fu",  "<st",  "a, ",   "add",  "amp",  "ath",
    "but", "cel",  "d d",  "d e",   "ee ",  "eer",  "eme",  "ene",   "ffi",  "g b",  "g i",
    "g, ", "gen",  "hem",  "hes",   "ign",  "imp",  "ira",  "ish",   "iss",  "ito",  "l b",
    "lab", "mak",  "met",  "n. ",   "n</",  "ngi",  "on,",  "ose",   "pac",  "r b",  "r h",
    "r w", "r/b",  "s g",  "s r",   "tre",  "try",  "ues",  "uld",   "v><",  "we ",  "xpe",
    " bl", " kn",  " op",  " ov",   "\">/", ", e",  "/li",  "0\">",  "a\" ", "a\">", "aus",
    "d g", "da ",  "efa",  "ela",   "esp",  "fte",  "ho ",  "ifi",   "iou",  "ita",  "ivi",
    "ked",
};

// A table trigram's rank: its place in the table, the commonest 0.
const std::unordered_map<std::string_view, int>& CommonRanks() {
    static const std::unordered_map<std::string_view, int> ranks = [] {
        std::unordered_map<std::string_view, int> table;
        int rank = 0;
        for (const char* trigram : kCommonTrigrams) {
            table.emplace(trigram, rank++);
        }
        return table;
    }();
    return ranks;
}

struct Trigram {
    std::array<char, 12> bytes{};
    size_t length = 0;
    int rank = -1;     // -1: not in the table
    size_t begin = 0;  // byte offsets in the text
    size_t end = 0;

    std::string_view Text() const { return {bytes.data(), length}; }
};

// Calls `emit(term, begin, end)` for each term of `text` where it is found (a term may come
// more than once). Streams: a description of megabytes costs no more memory than a title.
template <typename Emit>
bool ForEachTerm(std::string_view text, Emit&& emit) {
    const auto& ranks = CommonRanks();
    std::array<std::string_view, 3> chars;  // the last three, by count % 3
    std::array<Trigram, 3> trigrams;        // the last three, by index % 3
    size_t charCount = 0;
    size_t last = static_cast<size_t>(-1);  // the index of the table trigram last given
    for (size_t i = 0; i < text.size();) {
        const size_t length = IndexCharLength(text, i);
        chars[charCount % 3] = text.substr(i, length);
        i += length;
        if (++charCount < 3) {
            continue;
        }
        const size_t index = charCount - 3;
        Trigram& trigram = trigrams[index % 3];
        trigram.length = 0;
        for (size_t c = index; c < index + 3; ++c) {
            for (char byte : chars[c % 3]) {
                trigram.bytes[trigram.length++] = FoldAscii(byte);
            }
        }
        const auto found = ranks.find(trigram.Text());
        trigram.rank = found == ranks.end() ? -1 : found->second;
        trigram.begin = static_cast<size_t>(chars[index % 3].data() - text.data());
        trigram.end = i;
        if (trigram.rank < 0) {
            if (!emit(trigram.Text(), trigram.begin, trigram.end)) {
                return false;
            }
            continue;
        }
        // A run of three table trigrams keeps its least common one.
        if (index < 2 || trigrams[(index - 1) % 3].rank < 0 || trigrams[(index - 2) % 3].rank < 0) {
            continue;
        }
        size_t kept = index - 2;
        for (size_t t = index - 1; t <= index; ++t) {
            if (trigrams[t % 3].rank > trigrams[kept % 3].rank) {
                kept = t;
            }
        }
        if (kept != last) {
            last = kept;
            const Trigram& term = trigrams[kept % 3];
            if (!emit(term.Text(), term.begin, term.end)) {
                return false;
            }
        }
    }
    return true;
}

struct RareTerms {
    template <typename Emit>
    static bool ForEach(std::string_view text, Emit&& emit) {
        return ForEachTerm(text, std::forward<Emit>(emit));
    }
};

}  // namespace

std::vector<std::string> RareTrigrams(std::string_view text) {
    return trigram_tokenizer::DistinctTerms<RareTerms>(text);
}

bool IsCommonTrigram(std::string_view trigram) {
    return CommonRanks().count(trigram) != 0;
}

bool RegisterRareTrigramTokenizer(sqlite3* db) {
    return trigram_tokenizer::Register<RareTerms>(db, kRareTrigramTokenizer);
}

}  // namespace zirvo
