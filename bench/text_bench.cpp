// A screen of text: 100 text nodes of 40 characters (4,000 glyphs) in a font whose glyphs lie on
// two pages, drawn through the text nodes and, in the same run, glyph by glyph with one draw
// each, on the null driver and on OpenGL in a window (under Xvfb). Reports the CPU time per frame
// (all threads of the process: Mesa rasterizes on threads of its own) and the draw calls per
// frame of each. The text nodes draw one run per page each node uses: 200 draws.
#include "../tests/video/CRecordingVideoDriver.h"

#include "content/BitmapFont.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/video/CQuadBatch.h"
#include "core/CNodeFactory.h"
#include "core/CRefHolder.h"
#include "platform/CDeviceLinux.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "widgets/TextNode.h"
#include "widgets/WidgetServices.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using namespace fw;

const u32 TEXTS = 100;
// Lower case on the first page, capitals and digits on the second.
const wchar_t* const LINE = L"Hotel Quillbrook: 42 Rooms, 7 Gardens ok";

std::string readFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream bytes;
	bytes << in.rdbuf();
	return bytes.str();
}

// Serves files from memory by exact name.
class CBenchFileSystem : public CFileSystem
{
public:
	io::IReadFile* createAndOpenFile(const io::path& name) override
	{
		const auto found = files.find(name.c_str());
		if (found == files.end())
			return nullptr;
		u8* copy = new u8[found->second.size() + 1];
		std::memcpy(copy, found->second.data(), found->second.size());
		return new CMemoryFile(copy, static_cast<long>(found->second.size()), name, true);
	}

	std::map<std::string, std::string> files;
};

// The staged interface font with its one page served under two names: capitals and digits are
// moved to the second, so that each text uses both.
std::map<std::string, std::string> twoPageFont()
{
	const std::string folder = std::string(QB_STAGED_ASSETS) + "/scenes/fonts/";
	std::istringstream lines(readFile(folder + "sans_14_crisp.ofnt"));
	std::string font;
	for (std::string line; std::getline(lines, line);)
	{
		if (line.find("<Texture ") != std::string::npos)
		{
			font += "\t<Texture Filename=\"Lower_0.png\" />\n\t<Texture Filename=\"Upper_1.png\" />\n";
			continue;
		}
		const size_t c = line.find("<c c=\"");
		if (c != std::string::npos)
		{
			const char character = line[c + 6];
			const bool second = (character >= 'A' && character <= 'Z') || (character >= '0' && character <= '9');
			const size_t page = line.find("i=\"0\"");
			if (second && page != std::string::npos)
				line.replace(page, 5, "i=\"1\"");
		}
		font += line + "\n";
	}
	const std::string page = readFile(folder + "sans_14_crisp_0.png");
	return {{"fonts/Two.ofnt", font}, {"fonts/Lower_0.png", page}, {"fonts/Upper_1.png", page}};
}

struct SScreen
{
	explicit SScreen(s32 driverType)
	{
		if (driverType == DEVICE_DRIVER_OPENGL && !std::getenv("DISPLAY"))
			return;
		registerWidgetServices();
		SDeviceCreationParameters params;
		params.VideoDriver = driverType;
		params.WindowSize = core::dimension2d<s32>(1024, 768);
		params.ColorBits = 32;
		device = adoptRef(createDevice(params));
		if (!device || !device->getVideoDriver())
			return;
		if (driverType == DEVICE_DRIVER_OPENGL && device->getVideoDriver()->getDriverType() != video::EDT_OPENGL)
			return;
		driver = adoptRef(new test::CRecordingVideoDriver(device->getVideoDriver()));
		driver->keepDraws = false;
		// The null driver makes no textures the framework can use; the recording driver's have a size.
		driver->makeTextures = driverType != DEVICE_DRIVER_OPENGL;

		fileSystem = adoptRef(new CBenchFileSystem);
		fileSystem->files = twoPageFont();
		factory = adoptRef(new CNodeFactory);
		processors = adoptRef(new CContentProcessorsManager(driver.get(), fileSystem.get(), factory.get()));
		manager = adoptRef(new CContentManager(driver.get(), fileSystem.get(), processors.get()));
		CContent* content = manager->getContent(CONTENT_TYPE_FONT, "fonts/Two.ofnt", false);
		font = adoptRef(dynamic_cast<BitmapFont*>(content));
		if (!font)
			return;
		for (u32 i = 0; i < TEXTS; ++i)
		{
			TextNode* text = new TextNode(ContentReference(), nullptr, nullptr);
			text->setPosition(core::vector3df(static_cast<f32>((i % 3) * 340), static_cast<f32>((i / 3) * 22), 0.f));
			text->setBounds(core::vector3df(330.f, 20.f, 0.f));
			text->setFont(font.get());
			text->setText(LINE);
			texts.push_back(adoptRef(text));
		}
		RenderList list;
		for (const CRefHolder<TextNode>& text : texts)
			text->collectRenderables(list);
	}

	~SScreen()
	{
		texts.clear();
		font.release();
		manager.release();
		processors.release();
		driver.release();
		device.release();
	}

	bool ready() const { return font && !texts.empty() && glyphs() > 0; }

	u32 glyphs() const
	{
		u32 count = 0;
		for (const CRefHolder<TextNode>& text : texts)
			count += text->getLayout().getGlyphQuads().size();
		return count;
	}

	CRefHolder<CDeviceStub> device;
	CRefHolder<test::CRecordingVideoDriver> driver;
	CRefHolder<CBenchFileSystem> fileSystem;
	CRefHolder<CNodeFactory> factory;
	CRefHolder<CContentProcessorsManager> processors;
	CRefHolder<CContentManager> manager;
	CRefHolder<BitmapFont> font;
	std::vector<CRefHolder<TextNode>> texts;
};

void report(benchmark::State& state, const SScreen& screen, u32 calls)
{
	state.counters["draw_calls"] = benchmark::Counter(calls, benchmark::Counter::kAvgIterations);
	state.counters["glyphs"] = screen.glyphs();
}

void BM_TextNodes(benchmark::State& state)
{
	SScreen screen(static_cast<s32>(state.range(0)));
	if (!screen.ready())
	{
		state.SkipWithError("no driver of this type (OpenGL needs an X display), or no font");
		return;
	}
	video::IVideoDriver* driver = screen.driver.get();
	CQuadBatch* batch = getQuadBatch(driver);
	const SRenderContext context = makeRenderContext(driver);
	u32 calls = 0;
	for (auto _ : state)
	{
		driver->beginScene(true, false, video::SColor(255, 30, 30, 30));
		screen.driver->primitiveListDraws = 0;
		batch->flush();
		batch->begin();
		for (const CRefHolder<TextNode>& text : screen.texts)
			text->render(context, nullptr);
		batch->end();
		calls += screen.driver->primitiveListDraws;
		driver->endScene();
	}
	report(state, screen, calls);
}

// The same glyphs as the text nodes lay them out, each taken to the screen and drawn on its own.
void BM_GlyphByGlyph(benchmark::State& state)
{
	SScreen screen(static_cast<s32>(state.range(0)));
	if (!screen.ready())
	{
		state.SkipWithError("no driver of this type (OpenGL needs an X display), or no font");
		return;
	}
	video::IVideoDriver* driver = screen.driver.get();
	CQuadBatch* batch = getQuadBatch(driver);
	const video::SColor white(0xFFFFFFFF);
	u32 calls = 0;
	for (auto _ : state)
	{
		driver->beginScene(true, false, video::SColor(255, 30, 30, 30));
		screen.driver->primitiveListDraws = 0;
		batch->flush();
		batch->begin();
		for (const CRefHolder<TextNode>& text : screen.texts)
		{
			const core::vector3df at = text->getAbsoluteTransformation().getTranslation();
			const core::array<SQuad>& quads = text->getLayout().getGlyphQuads();
			for (u32 q = 0; q < quads.size(); ++q)
			{
				SQuad quad = quads[q];
				for (u32 v = 0; v < 4; ++v)
				{
					quad.Vertices[v].Pos.X += at.X;
					quad.Vertices[v].Pos.Y += at.Y;
					quad.Vertices[v].Color = white;
				}
				batch->addQuad(quad);
				batch->flush();
			}
		}
		batch->end();
		calls += screen.driver->primitiveListDraws;
		driver->endScene();
	}
	report(state, screen, calls);
}

// 0: the null driver; 3: OpenGL.
BENCHMARK(BM_TextNodes)
	->ArgName("driver")
	->Arg(DEVICE_DRIVER_NULL)
	->Arg(DEVICE_DRIVER_OPENGL)
	->MeasureProcessCPUTime()
	->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GlyphByGlyph)
	->ArgName("driver")
	->Arg(DEVICE_DRIVER_NULL)
	->Arg(DEVICE_DRIVER_OPENGL)
	->MeasureProcessCPUTime()
	->Unit(benchmark::kMicrosecond);
} // namespace
