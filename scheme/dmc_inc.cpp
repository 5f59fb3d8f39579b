#include "dmc_inc.h"

namespace velmora {
namespace {

// The maker's colour cards write a thread colour as RRGGBB; our colour values hold red in the
// low byte.
constexpr std::uint32_t Rgb(std::uint32_t rrggbb)
{
    return ((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16);
}

} // namespace

// The DMC stranded-cotton set, seven threads a line. The order is part of the data: the thread
// search visits the entries by index, the legend treats index 0 ("White") specially, and the DMC
// table window lays the entries out seven to a row.
const std::array<TDMC, kDmcCount> DMCTable = {{
    // 0..6
    {"White", Rgb(0xFFFFFF)}, {"433", Rgb(0x551B0F)}, {"644", Rgb(0xE4DABF)}, {"796", Rgb(0x0D1057)}, {"915", Rgb(0x6E0917)}, {"3013", Rgb(0xC8B050)}, {"3747", Rgb(0xD0E9FF)},
    // 7..13
    {"Ecru", Rgb(0xFFEFDC)}, {"434", Rgb(0x692A07)}, {"645", Rgb(0x37382A)}, {"797", Rgb(0x101E87)}, {"917", Rgb(0xB41152)}, {"3021", Rgb(0x1D120C)}, {"3750", Rgb(0x0B2B38)},
    // 14..20
    {"208", Rgb(0x9F56C2)}, {"435", Rgb(0xA3561E)}, {"646", Rgb(0x525542)}, {"798", Rgb(0x2763C3)}, {"918", Rgb(0x790A01)}, {"3022", Rgb(0x7E7951)}, {"3752", Rgb(0xDCEAF5)},
    // 21..27
    {"209", Rgb(0xC797E3)}, {"436", Rgb(0xB58231)}, {"647", Rgb(0x8F9088)}, {"799", Rgb(0x80AEE2)}, {"919", Rgb(0x8A0806)}, {"3023", Rgb(0xC7C185)}, {"3753", Rgb(0xF1FEFF)},
    // 28..34
    {"210", Rgb(0xE0C2FE)}, {"437", Rgb(0xE8B564)}, {"648", Rgb(0xC3C3C1)}, {"800", Rgb(0xD1EEFF)}, {"920", Rgb(0xA11F11)}, {"3024", Rgb(0xE1E3D8)}, {"3755", Rgb(0xAACEF0)},
    // 35..41
    {"211", Rgb(0xFFD8FD)}, {"444", Rgb(0xF8E119)}, {"666", Rgb(0xBF000F)}, {"801", Rgb(0x3D190B)}, {"921", Rgb(0xC83513)}, {"3031", Rgb(0x1C110F)}, {"3756", Rgb(0xE6F7FE)},
    // 42..48
    {"221", Rgb(0x811320)}, {"445", Rgb(0xFFFF7E)}, {"676", Rgb(0xF6D06B)}, {"806", Rgb(0x1F767F)}, {"922", Rgb(0xDE7E34)}, {"3032", Rgb(0xAC9C44)}, {"3760", Rgb(0x0A7995)},
    // 49..55
    {"223", Rgb(0xCC585B)}, {"451", Rgb(0x736670)}, {"677", Rgb(0xFFE7AF)}, {"807", Rgb(0x50B0AE)}, {"924", Rgb(0x132320)}, {"3033", Rgb(0xF0EBCD)}, {"3761", Rgb(0xACD7E7)},
    // 56..62
    {"224", Rgb(0xE1A7A6)}, {"452", Rgb(0xB0A0AD)}, {"680", Rgb(0xBA6C22)}, {"809", Rgb(0xA1C7F6)}, {"926", Rgb(0x679072)}, {"3041", Rgb(0x8C6168)}, {"3765", Rgb(0x095249)},
    // 63..69
    {"225", Rgb(0xF0D9D1)}, {"453", Rgb(0xE0D2CF)}, {"699", Rgb(0x014D0F)}, {"813", Rgb(0x93C7EE)}, {"927", Rgb(0xB7C3BF)}, {"3042", Rgb(0xC8BCC0)}, {"3766", Rgb(0xAED6BE)},
    // 70..76
    {"300", Rgb(0x4F1217)}, {"469", Rgb(0x3A5C0F)}, {"700", Rgb(0x10690F)}, {"814", Rgb(0x60040F)}, {"928", Rgb(0xD7D9CC)}, {"3045", Rgb(0xBC813B)}, {"3768", Rgb(0x466659)},
    // 77..83
    {"301", Rgb(0x8F2412)}, {"470", Rgb(0x648514)}, {"701", Rgb(0x219010)}, {"815", Rgb(0x7C0710)}, {"930", Rgb(0x15363D)}, {"3046", Rgb(0xDCCA68)}, {"3770", Rgb(0xFEF0D6)},
    // 84..90
    {"304", Rgb(0x8F080F)}, {"471", Rgb(0xA0B731)}, {"702", Rgb(0x359019)}, {"816", Rgb(0x8C0718)}, {"931", Rgb(0x3D7E80)}, {"3047", Rgb(0xE9D68A)}, {"3772", Rgb(0x9B4D29)},
    // 91..97
    {"307", Rgb(0xFFF82B)}, {"472", Rgb(0xE9ED7C)}, {"703", Rgb(0x50B50F)}, {"817", Rgb(0xC8100E)}, {"932", Rgb(0x7EAFBD)}, {"3051", Rgb(0x4B4B0D)}, {"3773", Rgb(0xEFAE84)},
    // 98..104
    {"309", Rgb(0xE32042)}, {"498", Rgb(0x900C19)}, {"704", Rgb(0x9ED730)}, {"818", Rgb(0xFFD8E3)}, {"934", Rgb(0x141615)}, {"3052", Rgb(0x94A346)}, {"3774", Rgb(0xFDDFC3)},
    // 105..111
    {"310", Rgb(0x000000)}, {"500", Rgb(0x101E11)}, {"712", Rgb(0xFFF5E1)}, {"819", Rgb(0xFEE0E0)}, {"935", Rgb(0x141A18)}, {"3053", Rgb(0xA9B666)}, {"3776", Rgb(0xC54C13)},
    // 112..118
    {"311", Rgb(0x0B0921)}, {"501", Rgb(0x1F4D1F)}, {"718", Rgb(0xD12787)}, {"820", Rgb(0x0A0756)}, {"936", Rgb(0x182B15)}, {"3064", Rgb(0xCB8353)}, {"3777", Rgb(0x730E12)},
    // 119..125
    {"312", Rgb(0x113A6E)}, {"502", Rgb(0x377546)}, {"720", Rgb(0xBF2910)}, {"822", Rgb(0xF2F7CF)}, {"937", Rgb(0x293F19)}, {"3072", Rgb(0xECECEC)}, {"3778", Rgb(0xED5851)},
    // 126..132
    {"315", Rgb(0x7C1D31)}, {"503", Rgb(0x8FBC81)}, {"721", Rgb(0xE4390B)}, {"823", Rgb(0x08070F)}, {"938", Rgb(0x19080E)}, {"3078", Rgb(0xF4F99D)}, {"3779", Rgb(0xFFDFD2)},
    // 133..139
    {"316", Rgb(0xAE6377)}, {"504", Rgb(0xD8EED7)}, {"722", Rgb(0xFF6320)}, {"824", Rgb(0x0C1950)}, {"939", Rgb(0x120614)}, {"3325", Rgb(0xCFEBFF)}, {"3781", Rgb(0x3F2610)},
    // 140..146
    {"317", Rgb(0x3F4541)}, {"517", Rgb(0x0D3E79)}, {"725", Rgb(0xF8D730)}, {"825", Rgb(0x103180)}, {"943", Rgb(0x1A7C27)}, {"3326", Rgb(0xFBB9DF)}, {"3782", Rgb(0xD9D492)},
    // 147..153
    {"318", Rgb(0x9A9D94)}, {"518", Rgb(0x479DAE)}, {"726", Rgb(0xF6F648)}, {"826", Rgb(0x3986BE)}, {"945", Rgb(0xEBD4A8)}, {"3328", Rgb(0xE3423A)}, {"3787", Rgb(0x373014)},
    // 154..160
    {"319", Rgb(0x112F0D)}, {"519", Rgb(0xA2D3E1)}, {"727", Rgb(0xFFFF82)}, {"827", Rgb(0xD1EEFF)}, {"946", Rgb(0xF0290A)}, {"3340", Rgb(0xFC6C54)}, {"3790", Rgb(0x2F2114)},
    // 161..167
    {"320", Rgb(0x549247)}, {"520", Rgb(0x17290F)}, {"729", Rgb(0xE1A431)}, {"828", Rgb(0xE0F7FF)}, {"947", Rgb(0xED372A)}, {"3341", Rgb(0xFA9D72)}, {"3799", Rgb(0x111713)},
    // 168..174
    {"321", Rgb(0xA00000)}, {"522", Rgb(0x779650)}, {"730", Rgb(0x402F01)}, {"829", Rgb(0x4D2703)}, {"948", Rgb(0xFEEAD2)}, {"3345", Rgb(0x053704)}, {"3801", Rgb(0xE10D23)},
    // 175..181
    {"322", Rgb(0x3E86B8)}, {"523", Rgb(0x9FB779)}, {"731", Rgb(0x504A0C)}, {"830", Rgb(0x5F390A)}, {"950", Rgb(0xF3C19E)}, {"3346", Rgb(0x2F5309)}, {"3802", Rgb(0x87184D)},
    // 182..188
    {"326", Rgb(0xBC1020)}, {"524", Rgb(0xD0D39E)}, {"732", Rgb(0x86700B)}, {"831", Rgb(0x8E5E0A)}, {"951", Rgb(0xF4EDD1)}, {"3347", Rgb(0x55841E)}, {"3803", Rgb(0xB12A76)},
    // 189..195
    {"327", Rgb(0x5C2054)}, {"535", Rgb(0x232416)}, {"733", Rgb(0xB39C10)}, {"832", Rgb(0xB7871B)}, {"954", Rgb(0x7FE174)}, {"3348", Rgb(0xA1C13A)}, {"3804", Rgb(0xCB135D)},
    // 196..202
    {"333", Rgb(0x4F2F9A)}, {"543", Rgb(0xE0D7C6)}, {"734", Rgb(0xD0B92F)}, {"833", Rgb(0xD1AF41)}, {"955", Rgb(0xB0FC9A)}, {"3350", Rgb(0xCF1C3A)}, {"3805", Rgb(0xF30E73)},
    // 203..209
    {"334", Rgb(0x73A7CE)}, {"550", Rgb(0x42083A)}, {"738", Rgb(0xEECF8F)}, {"834", Rgb(0xE2C84D)}, {"956", Rgb(0xF35093)}, {"3354", Rgb(0xF1ACC1)}, {"3806", Rgb(0xF83D98)},
    // 210..216
    {"335", Rgb(0xF04772)}, {"552", Rgb(0x8B2396)}, {"739", Rgb(0xF2ECC8)}, {"838", Rgb(0x250C0F)}, {"957", Rgb(0xFFA9DF)}, {"3362", Rgb(0x1B310B)}, {"3807", Rgb(0x5358AA)},
    // 217..223
    {"336", Rgb(0x111538)}, {"553", Rgb(0xB850C3)}, {"740", Rgb(0xFF7404)}, {"839", Rgb(0x301911)}, {"958", Rgb(0x2BAF66)}, {"3363", Rgb(0x4A7736)}, {"3808", Rgb(0x21594E)},
    // 224..230
    {"340", Rgb(0xA1A2F2)}, {"554", Rgb(0xD599EF)}, {"741", Rgb(0xF38701)}, {"840", Rgb(0x6F3E16)}, {"959", Rgb(0x6FE1AE)}, {"3364", Rgb(0x9FB050)}, {"3809", Rgb(0x13635A)},
    // 231..237
    {"341", Rgb(0xC0D0F1)}, {"561", Rgb(0x0D4714)}, {"742", Rgb(0xFEA23F)}, {"841", Rgb(0x8F5F2E)}, {"961", Rgb(0xFC3E6E)}, {"3371", Rgb(0x12070D)}, {"3810", Rgb(0x21A194)},
    // 238..244
    {"347", Rgb(0xA1070F)}, {"562", Rgb(0x3FA156)}, {"743", Rgb(0xFFD73A)}, {"842", Rgb(0xE4D1B1)}, {"962", Rgb(0xED95BF)}, {"3607", Rgb(0xEE3DAF)}, {"3811", Rgb(0x9EE5BD)},
    // 245..251
    {"349", Rgb(0xD91018)}, {"563", Rgb(0x9EEAAC)}, {"744", Rgb(0xFFF093)}, {"844", Rgb(0x202020)}, {"963", Rgb(0xFFE1ED)}, {"3608", Rgb(0xF681D0)}, {"3812", Rgb(0x2E8950)},
    // 252..258
    {"350", Rgb(0xE92028)}, {"564", Rgb(0xBEF1C8)}, {"745", Rgb(0xFEF0B1)}, {"869", Rgb(0x792D09)}, {"964", Rgb(0x91F0DC)}, {"3609", Rgb(0xF2C9F3)}, {"3813", Rgb(0x91E8B1)},
    // 259..265
    {"351", Rgb(0xF15F5F)}, {"580", Rgb(0x2F4D0F)}, {"746", Rgb(0xF4F0CA)}, {"890", Rgb(0x011B00)}, {"966", Rgb(0xC2E6B8)}, {"3685", Rgb(0x7C1020)}, {"3814", Rgb(0x2AA066)},
    // 266..272
    {"352", Rgb(0xF89582)}, {"581", Rgb(0x5F7810)}, {"747", Rgb(0xCFFFE5)}, {"891", Rgb(0xF12832)}, {"970", Rgb(0xFF4F2E)}, {"3687", Rgb(0xCF386B)}, {"3815", Rgb(0x419A60)},
    // 273..279
    {"353", Rgb(0xFFD1C1)}, {"597", Rgb(0x49AEA0)}, {"754", Rgb(0xFFD8D0)}, {"892", Rgb(0xF7325F)}, {"971", Rgb(0xEF582D)}, {"3688", Rgb(0xF099C6)}, {"3816", Rgb(0x3CBA7A)},
    // 280..286
    {"355", Rgb(0x9C150F)}, {"598", Rgb(0x9FD4CA)}, {"758", Rgb(0xD79984)}, {"893", Rgb(0xFC5C8C)}, {"972", Rgb(0xF3B721)}, {"3689", Rgb(0xFFE1EB)}, {"3817", Rgb(0xADF7C2)},
    // 287..293
    {"356", Rgb(0xBF3729)}, {"600", Rgb(0xBE0D1F)}, {"760", Rgb(0xEF97A5)}, {"894", Rgb(0xFFB4DB)}, {"973", Rgb(0xFFD922)}, {"3705", Rgb(0xF83D52)}, {"3818", Rgb(0x186A15)},
    // 294..300
    {"367", Rgb(0x255D1E)}, {"601", Rgb(0xE11051)}, {"761", Rgb(0xF1BFC2)}, {"895", Rgb(0x002800)}, {"975", Rgb(0x702110)}, {"3706", Rgb(0xF787AD)}, {"3819", Rgb(0xB2BE16)},
    // 301..307
    {"368", Rgb(0xB0D891)}, {"602", Rgb(0xF12989)}, {"762", Rgb(0xEEF0EF)}, {"898", Rgb(0x2A1210)}, {"976", Rgb(0xC53E0E)}, {"3708", Rgb(0xFFB9D4)}, {"3820", Rgb(0xF2AF00)},
    // 308..314
    {"369", Rgb(0xD8EEC0)}, {"603", Rgb(0xF775BF)}, {"772", Rgb(0xEFFFC0)}, {"899", Rgb(0xEC819B)}, {"977", Rgb(0xFA9F2D)}, {"3712", Rgb(0xF6707B)}, {"3821", Rgb(0xD1A72E)},
    // 315..321
    {"370", Rgb(0x5A531F)}, {"604", Rgb(0xFFA8EA)}, {"775", Rgb(0xE4F8FF)}, {"900", Rgb(0xCB220B)}, {"986", Rgb(0x114725)}, {"3713", Rgb(0xFFDDE6)}, {"3822", Rgb(0xD4B739)},
    // 322..328
    {"371", Rgb(0x7D8643)}, {"605", Rgb(0xFFC9E9)}, {"776", Rgb(0xFFD0F0)}, {"902", Rgb(0x510E15)}, {"987", Rgb(0x0F5928)}, {"3716", Rgb(0xFFCFE1)}, {"3823", Rgb(0xFCED90)},
    // 329..335
    {"372", Rgb(0x97A84C)}, {"606", Rgb(0xF10F10)}, {"778", Rgb(0xE1BEC2)}, {"904", Rgb(0x1B670C)}, {"988", Rgb(0x267228)}, {"3721", Rgb(0xAD3235)}, {"3824", Rgb(0xEE8265)},
    // 336..342
    {"400", Rgb(0x6F160E)}, {"608", Rgb(0xF72E10)}, {"780", Rgb(0xA33709)}, {"905", Rgb(0x1E800F)}, {"989", Rgb(0x62B253)}, {"3722", Rgb(0xD44255)}, {"3825", Rgb(0xF7815B)},
    // 343..349
    {"402", Rgb(0xF3B260)}, {"610", Rgb(0x3E2813)}, {"781", Rgb(0xC24D08)}, {"906", Rgb(0x62BA0E)}, {"991", Rgb(0x10502E)}, {"3726", Rgb(0xA73E45)}, {"3826", Rgb(0xBA5A03)},
    // 350..356
    {"407", Rgb(0xC87448)}, {"611", Rgb(0x7F6A3F)}, {"782", Rgb(0xCC700D)}, {"907", Rgb(0x9FC50E)}, {"992", Rgb(0x2DA249)}, {"3727", Rgb(0xEFBFD9)}, {"3827", Rgb(0xE29B4D)},
    // 357..363
    {"413", Rgb(0x1C1C1C)}, {"612", Rgb(0xB5A16E)}, {"783", Rgb(0xE5A01F)}, {"909", Rgb(0x004911)}, {"993", Rgb(0x68C18B)}, {"3731", Rgb(0xEA4E7D)}, {"3828", Rgb(0xAF8136)},
    // 364..370
    {"414", Rgb(0x5F6865)}, {"613", Rgb(0xD0C08F)}, {"791", Rgb(0x0D063A)}, {"910", Rgb(0x0D780E)}, {"995", Rgb(0x0F51BF)}, {"3733", Rgb(0xED98AF)}, {"3829", Rgb(0xA4641D)},
    // 371..377
    {"415", Rgb(0xCBCBC9)}, {"632", Rgb(0x601710)}, {"792", Rgb(0x11207F)}, {"911", Rgb(0x2B8B2A)}, {"996", Rgb(0x46C7FF)}, {"3740", Rgb(0x753543)}, {"3830", Rgb(0xB12A26)},
    // 378..384
    {"420", Rgb(0xA9431B)}, {"640", Rgb(0x806434)}, {"793", Rgb(0x5379BA)}, {"912", Rgb(0x5DBD4F)}, {"3011", Rgb(0x5B470C)}, {"3743", Rgb(0xF4E8F6)}, {"B5200", Rgb(0xFFFFFF)},
    // 385..390
    {"422", Rgb(0xDFB255)}, {"642", Rgb(0xAF9A6D)}, {"794", Rgb(0x9FBDDF)}, {"913", Rgb(0x63CA54)}, {"3012", Rgb(0x837012)}, {"3746", Rgb(0x8367D5)},
}};

int FindDmc(std::string_view name)
{
    for (int i = 0; i < kDmcCount; ++i)
        if (name == DMCTable[static_cast<std::size_t>(i)].Name)
            return i;
    return -1;
}

} // namespace velmora
