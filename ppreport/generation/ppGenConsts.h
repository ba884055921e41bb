#pragma once
// The texts of the pp generation library, each written once. Texts users read are Portuguese; where
// a language string covers the same fault its number stands beside the text (a language module may
// replace it). Patterns take their arguments through Format (platform/rtl/SysUtils.h).

// ---- Barcodes: data the symbologies refuse
inline constexpr char SppBarCodeNoData[] = "Não há dados para o código de barras.";
inline constexpr char SppBarCodeTooWide[] = "O código de barras ficaria largo demais para ser desenhado.";
inline constexpr char SppBarCodeNotText[] = "Os dados do código de barras não são um texto válido.";

inline constexpr char SppUPCALength[] = "UPC-A: os dados devem ter 11 ou 12 dígitos.";                     // 438
inline constexpr char SppUPCANoCheck[] = "UPC-A: sem o cálculo do dígito verificador, informe os 12 dígitos.";  // 439
inline constexpr char SppUPCADigits[] = "UPC-A: os dados devem ter apenas dígitos.";                        // 440
inline constexpr char SppUPCELength[] = "UPC-E: os dados devem ter 6 ou 7 dígitos.";                       // 648
inline constexpr char SppUPCENoCheck[] = "UPC-E: sem o cálculo do dígito verificador, informe os 7 dígitos.";   // 649
inline constexpr char SppUPCEDigits[] = "UPC-E: os dados devem ter apenas dígitos.";                        // 650
inline constexpr char SppEAN13Length[] = "EAN-13: os dados devem ter 12 ou 13 dígitos.";                    // 431
inline constexpr char SppEAN13NoCheck[] = "EAN-13: sem o cálculo do dígito verificador, informe os 13 dígitos.";  // 432
inline constexpr char SppEAN13Digits[] = "EAN-13: os dados devem ter apenas dígitos.";                      // 433
inline constexpr char SppEAN8Length[] = "EAN-8: os dados devem ter 7 ou 8 dígitos.";                        // 645
inline constexpr char SppEAN8NoCheck[] = "EAN-8: sem o cálculo do dígito verificador, informe os 8 dígitos.";    // 646
inline constexpr char SppEAN8Digits[] = "EAN-8: os dados devem ter apenas dígitos.";                        // 647
inline constexpr char SppInt2of5Digits[] = "Interleaved 2 of 5: os dados devem ter apenas dígitos.";        // 434
inline constexpr char SppInt2of5Odd[] =
    "Interleaved 2 of 5: sem o cálculo do dígito verificador, o número de dígitos deve ser par.";       // 435
inline constexpr char SppCode39Chars[] =
    "Code 39: use letras, dígitos, espaço e os sinais - . $ / + %; o * só no início e no fim.";          // 430
inline constexpr char SppPostnetChars[] = "POSTNET: os dados devem ter apenas dígitos e hífens.";           // 436
inline constexpr char SppPostnetNoDigits[] = "POSTNET: os dados não têm nenhum dígito.";
inline constexpr char SppFIMData[] = "FIM: os dados devem ser uma só letra: A, B ou C.";                    // 651
inline constexpr char SppCodabarChars[] = "Codabar: use dígitos, os sinais - $ : / . + e as letras A a D.";  // 652
inline constexpr char SppCodabarEnds[] = "Codabar: os dados devem começar e terminar com uma das letras A a D.";  // 653
inline constexpr char SppCodabarMiddle[] = "Codabar: as letras A a D só podem estar no início e no fim.";     // 654, 655
inline constexpr char SppMSIDigits[] = "MSI Barcodes must be numeric";

inline constexpr char SppAddOnLength[] = "O código adicional deve ter 2 ou 5 dígitos.";                     // 424
inline constexpr char SppAddOnDigits[] = "O código adicional deve ter apenas dígitos.";

// Code 128 (%s: the character)
inline constexpr char Spp128NoStart[] = "Code 128: os dados devem começar com Start A, Start B ou Start C.";   // 451
inline constexpr char Spp128LateStart[] = "Code 128: Start A, Start B e Start C só podem estar no início.";     // 452
inline constexpr char Spp128OnlyInB[] = "Code 128: o caractere %s só existe no conjunto B.";                 // 453
inline constexpr char Spp128OnlyInA[] = "Code 128: os caracteres de controle só existem no conjunto A.";     // 454
inline constexpr char Spp128LoneDigit[] = "Code 128: o conjunto C codifica dígitos aos pares; sobrou um dígito.";  // 455
inline constexpr char Spp128NotDigit[] = "Code 128: o conjunto C só codifica dígitos.";                       // 456
inline constexpr char Spp128NotInC[] = "Code 128: FNC2, FNC3, SHIFT e CODE C não existem no conjunto C.";      // 457
inline constexpr char Spp128DoubleShift[] = "Code 128: um SHIFT não pode seguir outro SHIFT.";                 // 458
inline constexpr char Spp128ShiftOne[] = "Code 128: depois de SHIFT deve vir um só caractere do outro conjunto.";
inline constexpr char Spp128Fnc4Twice[] =
    "Code 128: um FNC4 escrito nos dados não pode preceder um caractere acentuado (seriam dois FNC4).";
inline constexpr char Spp128NotLatin1[] = "Code 128: o caractere %s não pode ser codificado.";

// ---- Barcode components: settings refused at design time
inline constexpr char SppAddOnUPCEANOnly[] = "O código adicional só existe em UPC-A, UPC-E, EAN-13 e EAN-8.";  // 423
inline constexpr char SppAutoSizeRequired[] = "POSTNET e FIM sempre têm o tamanho do símbolo.";              // 425
inline constexpr char SppAutoSizeFontRequired[] =
    "UPC e EAN sempre ajustam a fonte do texto legível ao símbolo.";                                     // 426
// %s: the limit in the report's units
inline constexpr char SppBarWidthTooSmall[] = "A largura da barra não pode ser menor que %s.";               // 427
inline constexpr char SppBarWidthTooLarge[] = "A largura da barra não pode ser maior que %s.";               // 428
inline constexpr char SppBearerBarsInt2of5[] = "Barras de proteção só existem em Interleaved 2 of 5.";      // 429
inline constexpr char SppBarCodeDataHint[] = "Dados do código de barras";                                  // 694

// ---- Band generation
inline constexpr char SppPrintPositionBelowPage[] =
    "A posição de impressão da faixa fica abaixo do fim da página";                          // 415
inline constexpr char SppStaticDetailCannotFit[] = "Static height detail band cannot fit on page";
inline constexpr char SppBandCannotFit[] = "A faixa %s não cabe na página.";
inline constexpr char SppDetailBandEngineBand[] = "Band must be a TppDetailBand.";

// ---- Images: language string 290 is not among the program's own
inline constexpr char SppImageLoadFailed[] = "Não foi possível carregar a imagem";  // 290

// ---- Stretchables
inline constexpr char SppShiftRelativeToInvalid[] =
    "Este objeto não pode se deslocar em relação ao objeto escolhido: a cadeia de deslocamento voltaria a ele.";  // 342

// ---- Rich text
inline constexpr char SppRichTextFieldUnreadable[] = "Não foi possível ler o texto formatado deste campo.";  // 414

// ---- Texts and graphics: an alignment that sizing does not know (the text names the class and
// method as written), and the designer's hints and choice names
inline constexpr char SppUnknownAlignment[] = "TppCustomText.AdjustBounds: Unknown alignment type.";
inline constexpr char SppHintLabelCaption[] = "Texto do rótulo";                // 119
inline constexpr char SppHintShapeKind[] = "Forma";                           // 118
inline constexpr char SppHintLinePosition[] = "Posição da linha";             // 117
inline constexpr char SppShapeRectangle[] = "Retângulo";                      // 318
inline constexpr char SppShapeSquare[] = "Quadrado";                          // 319
inline constexpr char SppShapeRoundRect[] = "Retângulo arredondado";          // 320
inline constexpr char SppShapeRoundSquare[] = "Quadrado arredondado";         // 321
inline constexpr char SppShapeEllipse[] = "Elipse";                           // 322
inline constexpr char SppShapeCircle[] = "Círculo";                           // 323
inline constexpr char SppLineTop[] = "Em cima";                               // 182
inline constexpr char SppLineBottom[] = "Embaixo";                            // 325
inline constexpr char SppLineLeft[] = "À esquerda";                           // 181
inline constexpr char SppLineRight[] = "À direita";                           // 327
