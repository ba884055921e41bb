#pragma once
// The texts the graphics library shows, each written once. Format patterns
// take their arguments through Format (platform/rtl/SysUtils.h).

inline constexpr char SInvalidMetafile[] = "Metafile inválido";
inline constexpr char SInvalidBitmap[] = "Imagem bitmap inválida";
inline constexpr char SInvalidDib[] = "Bitmap inválido";
inline constexpr char SInvalidJpeg[] = "JPEG inválido";
inline constexpr char SInvalidIcon[] = "Ícone inválido";
inline constexpr char SInvalidPng[] = "PNG inválido";
inline constexpr char SInvalidGif[] = "GIF inválido";
inline constexpr char SUnknownPictureFormat[] = "Formato de imagem não suportado";
inline constexpr char SUnknownExtension[] = "Extensão de arquivo de imagem desconhecida (%s)";
// What the file dialogs' filters call each picture format.
inline constexpr char SVBitmaps[] = "Bitmaps";
inline constexpr char SVJpegImageFile[] = "JPEG Image File";
inline constexpr char SVEnhMetafiles[] = "Enhanced Metafiles";
inline constexpr char SVIcons[] = "Icons";
inline constexpr char SVPngImages[] = "Portable Network Graphics";
inline constexpr char SVGifImages[] = "GIF Image";
inline constexpr char SScanLineIndexError[] = "Índice da linha de varredura fora do intervalo";
inline constexpr char SMetafileFinished[] = "Metafile já terminado";
inline constexpr char SEmfObjectOutOfTable[] = "Objeto fora da tabela";
inline constexpr char SEmfInvalidPointCount[] = "Contagem de pontos inválida";
inline constexpr char SEmfInvalidTransform[] = "Transformação inválida";
inline constexpr char SGraphicsWithoutQtApplication[] =
    "InitializeGraphics sem aplicação gráfica do Qt: chame InitializeApplication";
inline constexpr char SGraphicsNotInitialized[] =
    "Gráficos usados antes de InitializeGraphics: chame InitializeApplication no início do programa";
inline constexpr char SInvalidBitmapDC[] = "Um bitmap vazio não tem contexto de dispositivo";
